// SPDX-License-Identifier: GPL-3.0-or-later
// The demo as a newcomer runs it: the program itself, into an empty folder, with no way out
// to the network. Its summary must tell the truth about the files it left.
#include "support/epubcheck.h"
#include "support/hugocheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kTask = QStringLiteral("示例博客");

QString Program() {
    return QCoreApplication::applicationDirPath() + u"/../src/pellomar-cli";
}

// "文章：43" ... into {"文章": "43", ...}.
QMap<QString, QString> Summary(const QString& out) {
    QMap<QString, QString> fields;
    static const QRegularExpression line(QStringLiteral("^(\\S+?)：(.*)$"),
                                         QRegularExpression::MultilineOption);
    for (auto it = line.globalMatch(out); it.hasNext();) {
        const auto match = it.next();
        fields.insert(match.captured(1), match.captured(2).trimmed());
    }
    return fields;
}

int CountFiles(const QString& folder, const QRegularExpression& name) {
    int count = 0;
    for (QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        if (name.match(it.nextFileInfo().fileName()).hasMatch())
            ++count;
    return count;
}

TEST(CliDemo, SummaryMatchesTheFilesOnDiskWithoutTheNetwork) {
    ASSERT_TRUE(QFileInfo::exists(Program())) << "build pellomar-cli first";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());

    QProcess process;
    // Any request that left the process would fail through this proxy.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("http_proxy"), QStringLiteral("http://127.0.0.1:9"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);
    process.start(Program(), {QStringLiteral("--quiet"), QStringLiteral("--dir"), dir.path(),
                              QStringLiteral("demo")});
    ASSERT_TRUE(process.waitForFinished(120'000));
    const QString err = QString::fromUtf8(process.readAllStandardError());
    ASSERT_EQ(process.exitCode(), 0) << err.toStdString();
    EXPECT_TRUE(err.isEmpty()) << "--quiet prints no progress: " << err.toStdString();

    const QMap<QString, QString> summary =
        Summary(QString::fromUtf8(process.readAllStandardOutput()));
    const QString task = dir.filePath(kTask);

    // Every article page on disk; about 40 of them.
    const int articles = summary.value(QStringLiteral("文章")).toInt();
    EXPECT_GE(articles, 35);
    EXPECT_EQ(CountFiles(task, QRegularExpression(QStringLiteral("^blog_\\w+\\.html$"))), articles);
    process.start(Program(), {QStringLiteral("demo"), QStringLiteral("--help")});
    ASSERT_TRUE(process.waitForFinished(10'000));
    EXPECT_TRUE(QString::fromUtf8(process.readAllStandardOutput())
                    .contains(u"有" + QString::number(articles) + u"篇文章"))
        << "demo --help tells the sample's true size";

    // Pictures: real files, named after their addresses, none of them empty.
    const int pictures = summary.value(QStringLiteral("图片")).toInt();
    EXPECT_GT(pictures, 0);
    EXPECT_EQ(CountFiles(task, QRegularExpression(QStringLiteral("^http_"))), pictures);
    for (QDirIterator it(task, {QStringLiteral("http_*")}, QDir::Files,
                         QDirIterator::Subdirectories);
         it.hasNext();)
        EXPECT_GE(it.nextFileInfo().size(), 4);

    // One folder and one index page per category, and the paging of the long category.
    const int categories = summary.value(QStringLiteral("分类")).toInt();
    EXPECT_GE(categories, 3);
    EXPECT_EQ(QDir(task).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), categories);
    EXPECT_TRUE(QDir(task).entryList({QStringLiteral("*2.htm")}, QDir::Files).size() >= 1)
        << "one category spans two index pages";

    EXPECT_EQ(summary.value(QStringLiteral("首页")), task + u"/index.html");
    EXPECT_TRUE(QFileInfo::exists(task + u"/index.html"));
    const QString chm = summary.value(QStringLiteral("CHM"));
    EXPECT_EQ(chm, dir.filePath(kTask + u".chm"));
    EXPECT_GT(QFileInfo(chm).size(), 1024);
    QFile packed(chm);
    ASSERT_TRUE(packed.open(QIODevice::ReadOnly));
    EXPECT_TRUE(packed.readAll().contains("/$FIftiMain")) << "the full-text index is listed";

    // "…/示例博客TXT（47个文本文件）": one text file per article in its category's folder
    // (the sample's titles are distinct), and one combined file per category beside them.
    const QString text = summary.value(QStringLiteral("TXT"));
    EXPECT_EQ(text, dir.filePath(kTask + u"TXT（" + QString::number(articles + categories) +
                                 u"个文本文件）"));
    const QString textFolder = dir.filePath(kTask + u"TXT");
    EXPECT_EQ(CountFiles(textFolder, QRegularExpression(QStringLiteral("\\.txt$"))),
              articles + categories);
    EXPECT_EQ(QDir(textFolder).entryList({QStringLiteral("all*.txt")}, QDir::Files).size(),
              categories);

    const QString epub = summary.value(QStringLiteral("EPUB"));
    EXPECT_EQ(epub, dir.filePath(kTask + u".epub"));
    if (!pellomar::test::EpubCheckCommand().isEmpty()) {
        EXPECT_EQ(pellomar::test::EpubCheckProblems(epub), QString());
    }
    // The Markdown site builds with hugo as it stands.
    const QString site = summary.value(QStringLiteral("Markdown"));
    EXPECT_EQ(site, dir.filePath(kTask + u"MD"));
    EXPECT_EQ(CountFiles(site, QRegularExpression(QStringLiteral("^index\\.md$"))), articles);
    if (!pellomar::test::HugoProgram().isEmpty()) {
        EXPECT_EQ(pellomar::test::HugoBuildProblems(site, dir.filePath(QStringLiteral("public"))),
                  QString());
    }
    bool secondsOk = false;
    EXPECT_GT(summary.value(QStringLiteral("用时")).chopped(1).toDouble(&secondsOk), 0.0);
    EXPECT_TRUE(secondsOk);
}

} // namespace

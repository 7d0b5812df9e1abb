// SPDX-License-Identifier: GPL-3.0-or-later
// Baidu space and Hexun blogs from the command line: discover, download, txt and chm.
#include "cli/cli.h"
#include "cli/command.h"
#include "core/appstate.h"
#include "core/filenames.h"
#include "core/taskfile.h"
#include "platform/textstream.h"
#include "support/baiduhexunblogs.h"
#include "support/fixtureserver.h"
#include "support/runtask.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

namespace pellomar {
namespace {

class CliBaiduHexunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.Start());
        proxy.emplace(server);
    }

    int Run(const QStringList& arguments) {
        outBuffer.setData(QByteArray());
        errBuffer.setData(QByteArray());
        outBuffer.open(QIODevice::WriteOnly);
        errBuffer.open(QIODevice::WriteOnly);
        cli::Console console(outBuffer, errBuffer, false);
        const int status =
            test::RunTask(cli::Run(QStringList{QStringLiteral("pellomar-cli"),
                                               QStringLiteral("--dir"), folder.path()} +
                                       arguments,
                                   console),
                          120'000);
        outBuffer.close();
        errBuffer.close();
        return status;
    }
    QString Out() const { return QString::fromUtf8(outBuffer.data()); }
    QString Err() const { return QString::fromUtf8(errBuffer.data()); }
    QString Path(const QString& name) const { return folder.filePath(name); }
    QByteArray Read(const QString& path) const {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QList<QStringList> ImportedRows(const QString& taskFile) {
        AppState state(folder.path());
        QList<QStringList> rows;
        if (!test::RunTask(ImportTask(state, taskFile)))
            return rows;
        for (int row = 1; row <= state.table().ArticleCount(); ++row) {
            QStringList cells;
            for (int column = ArticleTable::Title; column <= ArticleTable::Ordinal; ++column)
                cells << state.table().Cell(row, column);
            rows << cells;
        }
        return rows;
    }

    // Discovers the blog, downloads it, converts it to text and packs it; checks what each
    // step leaves that is the same for both services.
    void BackUp(const QString& service, const test::FixtureBlog& blog) {
        test::ServeBlog(blog, server);
        const QString taskFile = Path(blog.account + u".ini");
        ASSERT_EQ(Run({QStringLiteral("discover"), service, blog.account}), cli::kDone)
            << Err().toStdString();
        EXPECT_EQ(Out(), taskFile + u'\n');
        EXPECT_TRUE(Err().contains(u"查找文章：3页/3页")) << Err().toStdString();
        EXPECT_EQ(ImportedRows(taskFile), test::ExpectedRows(blog));

        ASSERT_EQ(Run({QStringLiteral("download"), taskFile}), cli::kDone) << Err().toStdString();
        const TaskPaths paths{folder.path(), blog.account};
        for (const test::BlogArticle& article : blog.articles) {
            const QString page = DecodeBytes(
                Read(paths.ArticleFile(article.category, article.link)), QStringLiteral("GB2312"));
            EXPECT_TRUE(page.contains(u"《" + article.title + u"》的正文：镕喆"))
                << article.link.toStdString();
        }

        ASSERT_EQ(Run({QStringLiteral("txt"), taskFile}), cli::kDone) << Err().toStdString();
        const test::BlogArticle& last = blog.articles.last();
        const QString text =
            DecodeBytes(Read(Path(blog.account + u"TXT/" + SafeFileName(last.category) + u'/' +
                                  SafeFileName(last.title) + u".txt")),
                        QStringLiteral("GB2312"));
        EXPECT_TRUE(text.contains(u"的正文：镕喆")) << text.toStdString();

        if (QStandardPaths::findExecutable(QStringLiteral("chmcmd")).isEmpty())
            GTEST_SKIP() << "chm needs chmcmd (fp-utils)";
        ASSERT_EQ(Run({QStringLiteral("chm"), taskFile}), cli::kDone) << Err().toStdString();
        EXPECT_GT(QFileInfo(Path(blog.account + u".chm")).size(), 0);
    }

    QTemporaryDir folder;
    test::FixtureServer server;
    std::optional<test::ScopedProxyEnv> proxy;
    QBuffer outBuffer;
    QBuffer errBuffer;
};

TEST_F(CliBaiduHexunTest, ABaiduSpaceBlogIsBackedUpWithItsCategoriesAndPictures) {
    const test::FixtureBlog blog = test::BaiduBlog(QStringLiteral("lanting"), 23);
    BackUp(QStringLiteral("baidu"), blog);
    const TaskPaths paths{folder.path(), blog.account};
    for (const test::BlogArticle& article : blog.articles)
        for (const QString& picture : article.pictures) {
            EXPECT_EQ(Read(paths.PictureFile(article.category, picture)),
                      server.Page(picture)->body);
            EXPECT_TRUE(Read(paths.ArticleFile(article.category, article.link))
                            .contains(TaskPaths::PictureName(picture).toLatin1()));
        }
}

TEST_F(CliBaiduHexunTest, AHexunBlogIsBackedUpUnderTheDefaultCategory) {
    const test::FixtureBlog blog = test::HexunBlog(QStringLiteral("caijing"), 23);
    BackUp(QStringLiteral("和讯"), blog);
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("caijing/默认类别"))).isDir());
}

} // namespace
} // namespace pellomar

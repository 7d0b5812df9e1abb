// SPDX-License-Identifier: GPL-3.0-or-later
// Packs a task folder with chmcmd and reads the CHM back with chmlib's extract_chmLib.
#include "core/appstate.h"
#include "downloadedtask.h"
#include "fulltextlookup.h"
#include "packaging/chmpacker.h"
#include "packaging/deepnesting.h"
#include "platform/chmcompiler.h"
#include "platform/chmdirectory.h"
#include "platform/textstream.h"
#include "support/runtask.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <QtEndian>
#include <gtest/gtest.h>
#include <map>

using namespace pellomar;
using pellomar::test::RunTask;

namespace {

constexpr int kCompileWaitMs = 120'000;

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QStringList FilesBelow(const QString& folder) {
    QStringList files;
    const QDir root(folder);
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << root.relativeFilePath(it.next());
    files.sort();
    return files;
}

// The entries of the #SYSTEM file: code to data.
std::map<int, QByteArray> SystemEntries(const QByteArray& system) {
    std::map<int, QByteArray> entries;
    qsizetype at = 4; // the version
    while (at + 4 <= system.size()) {
        const int code = qFromLittleEndian<quint16>(system.constData() + at);
        const int length = qFromLittleEndian<quint16>(system.constData() + at + 2);
        entries[code] = system.mid(at + 4, length);
        at += 4 + length;
    }
    return entries;
}

// Where a link of a page inside the CHM leads, as a browser resolves it; empty for a link
// that leaves the CHM.
QString Resolve(const QString& page, const QString& link) {
    QString target = link;
    target.replace(u'\\', u'/');
    if (!QUrl(target).scheme().isEmpty())
        return {};
    const QUrl base(u"its:///" + page);
    return base.resolved(QUrl(target)).path(QUrl::FullyDecoded).mid(1);
}

class ChmBuildTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("chmcmd")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("extract_chmLib")).isEmpty())
            GTEST_SKIP() << "needs chmcmd (fp-utils) and extract_chmLib (libchm-bin)";
        qunsetenv("PELLOMAR_CHMCMD");
        m_state = std::make_unique<AppState>(m_program.path());
        m_taskFolder = pellomar::test::WriteDownloadedTask(*m_state);
        QObject::connect(m_state.get(), &AppState::captionChanged, m_state.get(),
                         [this](const QString& text) { m_captions << text; });
    }
    void TearDown() override { qunsetenv("PELLOMAR_CHMCMD"); }

    QString ChmPath() const { return m_program.filePath(QStringLiteral("测试博客.chm")); }

    // Unpacks the CHM with chmlib; the folder of what it holds.
    QString Extract() {
        const QString out = m_extracted.filePath(QStringLiteral("out"));
        QProcess extract;
        extract.start(QStringLiteral("extract_chmLib"), {ChmPath(), out});
        EXPECT_TRUE(extract.waitForFinished(60'000));
        EXPECT_EQ(extract.exitCode(), 0) << extract.readAll().toStdString();
        return out;
    }

    QTemporaryDir m_program;
    QTemporaryDir m_extracted;
    std::unique_ptr<AppState> m_state;
    QString m_taskFolder;
    QStringList m_captions;
};

} // namespace

TEST_F(ChmBuildTest, EveryPageAndPictureIsInsideAndEveryIndexLinkResolves) {
    m_state->SetButtons({false, false, true, true, true, false});
    ASSERT_TRUE(RunTask(MakeChm(*m_state, false), kCompileWaitMs));
    EXPECT_EQ(m_state->Caption(), QStringLiteral("打包CHM成功！"));
    EXPECT_TRUE(m_captions.contains(QStringLiteral("正在打包CHM...")));
    EXPECT_TRUE(m_captions.filter(QRegularExpression(QStringLiteral("^打包第\\d+/7个$"))).size() >
                0)
        << m_captions.join(u'|').toStdString();
    EXPECT_EQ(m_state->Buttons(), (std::array<bool, 6>{true, false, false, true, false, true}));
    EXPECT_FALSE(QFileInfo::exists(m_taskFolder + QStringLiteral("/blog.hhp")));
    EXPECT_FALSE(QFileInfo::exists(m_taskFolder + QStringLiteral("/blog.hhc")));

    const QString out = Extract();
    const QStringList taskFiles = FilesBelow(m_taskFolder);
    // 5 article pages, 4 pictures, a page and a list for each of 3 categories, 2 indexes.
    ASSERT_EQ(taskFiles.size(), 17);
    for (const QString& file : taskFiles)
        EXPECT_EQ(ReadAll(out + u'/' + file), ReadAll(m_taskFolder + u'/' + file))
            << file.toStdString();

    QStringList indexPages = {QStringLiteral("index.html"), QStringLiteral("all.htm")};
    indexPages << QDir(m_taskFolder).entryList({QStringLiteral("*.htm")}, QDir::Files);
    indexPages.removeDuplicates();
    int links = 0;
    for (const QString& page : indexPages) {
        const QString html = DecodeBytes(ReadAll(out + u'/' + page), QStringLiteral("GB2312"));
        for (const QString& link : pellomar::test::PageLinks(html)) {
            const QString target = Resolve(page, link);
            if (target.isEmpty())
                continue;
            ++links;
            EXPECT_TRUE(QFileInfo(out + u'/' + target).isFile())
                << page.toStdString() << " -> " << link.toStdString();
        }
    }
    EXPECT_EQ(links, 22);
    // The pictures are reached from the article pages by their bare names.
    for (const QString& file : taskFiles.filter(QStringLiteral(".html"))) {
        const QString html = DecodeBytes(ReadAll(out + u'/' + file), QStringLiteral("GB2312"));
        for (const QString& link : pellomar::test::PageLinks(html))
            if (const QString target = Resolve(file, link); !target.isEmpty()) {
                EXPECT_TRUE(QFileInfo(out + u'/' + target).isFile()) << target.toStdString();
            }
    }
}

TEST_F(ChmBuildTest, ItsSearchLeadsAWordOfAnArticleToThatPage) {
    ASSERT_TRUE(RunTask(MakeChm(*m_state, false), kCompileWaitMs));
    ASSERT_EQ(m_state->Caption(), QStringLiteral("打包CHM成功！"));
    const QString out = Extract();
    const QByteArray index = ReadAll(out + QStringLiteral("/$FIftiMain"));
    const QString page = QStringLiteral("技术/blog_4701280b0100a002.html");
    using pellomar::test::LookUpWord;
    using pellomar::test::TopicPage;

    // "编程" stands in one article only: its two characters side by side.
    const auto first = LookUpWord(index, EncodeCp936(QStringLiteral("编")));
    const auto second = LookUpWord(index, EncodeCp936(QStringLiteral("程")));
    ASSERT_FALSE(first.isEmpty());
    ASSERT_FALSE(second.isEmpty());
    EXPECT_EQ(TopicPage(out, first[0].topic), page);
    EXPECT_EQ(second[0].topic, first[0].topic);
    EXPECT_TRUE(second[0].locations.contains(first[0].locations[0] + 1));
    // An ASCII word is looked up lower-cased, in the body and in the title.
    const auto qt = LookUpWord(index, "qt");
    ASSERT_EQ(qt.size(), 2);
    EXPECT_EQ(TopicPage(out, qt[0].topic), page);
    EXPECT_TRUE(qt[1].title);
    // A character reference counts as the character: every article has one.
    EXPECT_EQ(LookUpWord(index, EncodeCp936(QStringLiteral("中"))).size(), 5);
    // The flag that gives the viewer's window its search tab.
    const QByteArray locale = SystemEntries(ReadAll(out + QStringLiteral("/#SYSTEM")))[4];
    ASSERT_GE(locale.size(), 12);
    EXPECT_EQ(qFromLittleEndian<quint32>(locale.constData() + 8), 1u);
}

// chmlib's own search, as python3-chm ships it, reads the index the same way.
TEST_F(ChmBuildTest, ChmlibsSearchFindsTheArticleToo) {
    const QString python = QStringLiteral("/usr/bin/python3");
    const char* script = "import sys\n"
                         "from chm import chm\n"
                         "f = chm.CHMFile()\n"
                         "f.LoadCHM(sys.argv[1].encode())\n"
                         "found, hits = f.Search(sys.argv[2].encode('gbk'), 1, 0)\n"
                         "print('\\n'.join(url.decode('gbk') for url in hits.values()))\n";
    QProcess probe;
    probe.start(python, {QStringLiteral("-c"), QStringLiteral("import chm.chm")});
    if (!probe.waitForFinished(30'000) || probe.exitCode() != 0)
        GTEST_SKIP() << "needs python3-chm";
    ASSERT_TRUE(RunTask(MakeChm(*m_state, false), kCompileWaitMs));
    QProcess search;
    search.start(python, {QStringLiteral("-c"), QString::fromLatin1(script), ChmPath(),
                          QStringLiteral("编")});
    ASSERT_TRUE(search.waitForFinished(30'000));
    EXPECT_EQ(QString::fromUtf8(search.readAllStandardOutput()).trimmed(),
              QStringLiteral("技术/blog_4701280b0100a002.html"))
        << search.readAllStandardError().toStdString();
}

// A listing of several chunks: chmcmd names the wrong first chunk, which hid every file of
// the earlier chunks from readers that walk the listing.
TEST_F(ChmBuildTest, ReadersThatWalkTheListingFindEveryFileOfALargeTask) {
    const QString category = QFileInfo(FilesBelow(m_taskFolder).filter(u"/"_qs).first()).path();
    for (int n = 0; n < 200; ++n) {
        QFile picture(m_taskFolder + u'/' + category +
                      u"/http___s1.sinaimg.cn_middle_picture_number_" + QString::number(n));
        ASSERT_TRUE(picture.open(QIODevice::WriteOnly));
        picture.write("GIF89a-" + QByteArray::number(n));
    }
    ASSERT_TRUE(RunTask(MakeChm(*m_state, false), kCompileWaitMs));
    ASSERT_EQ(m_state->Caption(), QStringLiteral("打包CHM成功！"));
    const QString out = Extract();
    const QStringList taskFiles = FilesBelow(m_taskFolder);
    ASSERT_GT(taskFiles.size(), 200);
    for (const QString& file : taskFiles)
        EXPECT_TRUE(QFileInfo::exists(out + u'/' + file)) << file.toStdString();
}

TEST(MendChmListingHead, PointsTheHeaderAtTheChunkWithoutPredecessor) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.chm"));
    // File header, directory header at 0x60, then three chunks of 0x20 bytes: two listing
    // chunks (1 -> 0 by their links, so 1 is the first) and an index chunk.
    const auto write = [&path](qint32 head) {
        QByteArray bytes(0x60 + 0x54 + 3 * 0x20, '\0');
        bytes.replace(0, 4, "ITSF");
        qToLittleEndian<qint64>(0x60, bytes.data() + 0x48);
        bytes.replace(0x60, 4, "ITSP");
        qToLittleEndian<qint32>(0x20, bytes.data() + 0x60 + 0x10);
        qToLittleEndian<qint32>(head, bytes.data() + 0x60 + 0x20);
        qToLittleEndian<qint32>(3, bytes.data() + 0x60 + 0x2c);
        const qsizetype chunks = 0x60 + 0x54;
        bytes.replace(chunks, 4, "PMGL");
        qToLittleEndian<qint32>(1, bytes.data() + chunks + 0x0c);
        bytes.replace(chunks + 0x20, 4, "PMGL");
        qToLittleEndian<qint32>(-1, bytes.data() + chunks + 0x20 + 0x0c);
        bytes.replace(chunks + 0x40, 4, "PMGI");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return bytes;
    };
    const QByteArray before = write(0);
    EXPECT_EQ(MendChmListingHead(path), ChmDirectoryMend::Mended);
    const QByteArray after = ReadAll(path);
    EXPECT_EQ(qFromLittleEndian<qint32>(after.constData() + 0x60 + 0x20), 1);
    EXPECT_EQ(after.mid(0, 0x80), before.mid(0, 0x80));
    EXPECT_EQ(after.mid(0x84), before.mid(0x84));
    EXPECT_EQ(MendChmListingHead(path), ChmDirectoryMend::Unchanged);

    QFile junk(path);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("<html>not a CHM</html>");
    junk.close();
    EXPECT_EQ(MendChmListingHead(path), ChmDirectoryMend::NotAChm);
    EXPECT_EQ(MendChmListingHead(dir.filePath(QStringLiteral("none.chm"))),
              ChmDirectoryMend::NotAChm);
}

TEST_F(ChmBuildTest, ViewersDecodeTheContentsAndTitleAsChinese) {
    ASSERT_TRUE(RunTask(MakeChm(*m_state, false), kCompileWaitMs));
    const QString out = Extract();

    const auto system = SystemEntries(ReadAll(out + QStringLiteral("/#SYSTEM")));
    ASSERT_TRUE(system.count(4));
    EXPECT_EQ(qFromLittleEndian<quint32>(system.at(4).constData()), 0x0804u);
    EXPECT_EQ(system.at(3), EncodeCp936(QStringLiteral("测试博客")) + '\0');
    EXPECT_EQ(system.at(2), QByteArray("index.html", 11));
    EXPECT_EQ(system.at(0), QByteArray("blog.hhc", 9));

    // Language 0x804 means code page 936: the contents file must be in it.
    const QString contents =
        DecodeBytes(ReadAll(out + QStringLiteral("/blog.hhc")), QStringLiteral("GB2312"));
    EXPECT_TRUE(contents.contains(QStringLiteral("value=\"生活 随笔(2)\"")));
    EXPECT_TRUE(contents.contains(QStringLiteral("value=\"1.夏日：海边的照片\"")));
    EXPECT_TRUE(contents.contains(QStringLiteral("value=\"1.旅行&quot;1 &quot;北京&quot;\"")));
    EXPECT_TRUE(contents.contains(QStringLiteral(
        "value=\"1.一个很长很长的标题超过了三十个字符用来测试目录里面被截断的效\"")));
    int locals = 0;
    for (const QString& link : contents.split(QStringLiteral("name=\"Local\" value=\"")).mid(1)) {
        const QString target = link.left(link.indexOf(u'"'));
        ++locals;
        EXPECT_TRUE(QFileInfo(out + u'/' + target).isFile()) << target.toStdString();
    }
    EXPECT_EQ(locals, 8);
}

TEST_F(ChmBuildTest, FailuresAreReportedAndKeepTheEarlierChm) {
    QFile earlier(ChmPath());
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier");
    earlier.close();
    m_state->SetButtons({false, false, true, true, true, false});

    const QTemporaryDir scripts;
    const QString silent = scripts.filePath(QStringLiteral("silent"));
    QFile script(silent);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\necho \"Can't find project file blog.hhp\"\nexit 0\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::ExeOwner);

    const std::vector<std::pair<QString, QString>> cases = {
        {scripts.filePath(QStringLiteral("missing")), QStringLiteral("找不到CHM编译程序")},
        {QStringLiteral("/bin/false"), QStringLiteral("出错（退出码1）")},
        {silent, QStringLiteral("没有生成CHM文件：Can't find project file blog.hhp")},
    };
    for (const auto& [program, problem] : cases) {
        qputenv("PELLOMAR_CHMCMD", program.toUtf8());
        EXPECT_FALSE(RunTask(MakeChm(*m_state, false), kCompileWaitMs));
        EXPECT_TRUE(m_state->Caption().startsWith(QStringLiteral("打包CHM失败：")));
        EXPECT_TRUE(m_state->Caption().contains(problem)) << m_state->Caption().toStdString();
        EXPECT_FALSE(m_captions.contains(QStringLiteral("打包CHM成功！")));
        EXPECT_EQ(ReadAll(ChmPath()), QByteArray("earlier"));
        EXPECT_EQ(m_state->Buttons(), (std::array<bool, 6>{false, false, true, true, true, false}));
        EXPECT_FALSE(QFileInfo::exists(m_taskFolder + QStringLiteral("/blog.hhp")));
    }
}

TEST_F(ChmBuildTest, TaskFolderMustExist) {
    QDir(m_taskFolder).removeRecursively();
    EXPECT_FALSE(RunTask(MakeChm(*m_state, false), kCompileWaitMs));
    EXPECT_TRUE(m_state->Caption().startsWith(QStringLiteral("打包CHM失败：任务文件夹不存在")));
    EXPECT_FALSE(QFileInfo::exists(ChmPath()));
}

TEST_F(ChmBuildTest, NamesTheCompilerWouldMisreadStayOutAndTheRestIsPacked) {
    // A leading tab would make chmcmd stop with an exception, a line starting with ";" is a
    // comment to it.
    // ".htm" is the list of a category whose name cleans to nothing; a category may be
    // named like the compiler's own output.
    ASSERT_TRUE(QDir(m_taskFolder).mkdir(QStringLiteral("compiled.chm")));
    for (const QString& name : {QStringLiteral("技术/\tlead.png"), QStringLiteral(";semi.htm"),
                                QStringLiteral("技术/;semi.png"), QStringLiteral(".htm"),
                                QStringLiteral("compiled.chm/x.html")})
        QFile(m_taskFolder + u'/' + name).open(QIODevice::WriteOnly);
    const QStringList files = ChmSourceFiles(m_taskFolder);
    EXPECT_FALSE(files.contains(QStringLiteral("技术/\tlead.png")));
    EXPECT_FALSE(files.contains(QStringLiteral(";semi.htm")));
    EXPECT_TRUE(files.contains(QStringLiteral("技术/;semi.png")));
    EXPECT_TRUE(files.contains(QStringLiteral("技术/blog_4701280b0100a002.html")));
    EXPECT_TRUE(files.contains(QStringLiteral("index.html")));
    EXPECT_TRUE(files.contains(QStringLiteral(".htm")));
    EXPECT_TRUE(CompilerCanTake(QStringLiteral("a=b/it's [x].png")));
    EXPECT_FALSE(CompilerCanTake(QStringLiteral("a/b.png ")));
    EXPECT_FALSE(CompilerCanTake(QStringLiteral("a\nb.png")));
    EXPECT_TRUE(RunTask(MakeChm(*m_state, false), kCompileWaitMs));
    const QString out = Extract();
    EXPECT_TRUE(QFileInfo::exists(out + QStringLiteral("/.htm")));
    EXPECT_TRUE(QFileInfo::exists(out + QStringLiteral("/compiled.chm/x.html")));
}

TEST_F(ChmBuildTest, APageNestedTooDeepForTheCompilerGoesInFlattened) {
    const QString page = QStringLiteral("技术/blog_4701280b0100a002.html");
    QFile file(m_taskFolder + u'/' + page);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<html><body>" + QByteArray("<div>").repeated(50'000) + "deep words" +
               QByteArray("</div>").repeated(50'000) + "</body></html>\r\n");
    file.close();
    ASSERT_TRUE(RunTask(MakeChm(*m_state, false), kCompileWaitMs))
        << m_captions.join(u'|').toStdString();
    const QByteArray packed = ReadAll(Extract() + u'/' + page);
    EXPECT_TRUE(packed.contains("deep words"));
    EXPECT_EQ(packed.count("<div>"), kMaxNesting - 2); // html and body count too
    EXPECT_EQ(file.size(), 50'000 * 11 + 38) << "the task's own page stays as it was";
}

TEST(CompileChm, StopsACompilerThatOverrunsItsTimeLimit) {
    const QTemporaryDir dir;
    const QString slow = dir.filePath(QStringLiteral("slow"));
    QFile script(slow);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(
        "#!/bin/sh\necho started\necho 'Note: Scanning file index.html.'\nexec sleep 60\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    qputenv("PELLOMAR_CHMCMD", slow.toUtf8());
    ChmJob job;
    job.sourceFolder = dir.path();
    job.outputPath = dir.filePath(QStringLiteral("out.chm"));
    int lines = 0;
    QElapsedTimer clock;
    clock.start();
    const ChmOutcome outcome =
        RunTask(CompileChm(
                    job, [&lines] { return ++lines > 0; }, std::chrono::milliseconds(500)),
                20'000);
    qunsetenv("PELLOMAR_CHMCMD");
    EXPECT_FALSE(outcome.made);
    EXPECT_TRUE(outcome.problem.contains(QStringLiteral("已中止")))
        << outcome.problem.toStdString();
    EXPECT_EQ(lines, 1);
    EXPECT_LT(clock.elapsed(), 15'000);
    EXPECT_FALSE(QFileInfo::exists(job.outputPath));
}

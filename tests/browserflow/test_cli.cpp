// SPDX-License-Identifier: GPL-3.0-or-later
// pellomar-cli as a user runs it on a machine without a display: discover starts the
// browser for Sohu and NetEase, then download, txt and chm work on the task file.
#include "browserflow.h"
#include "core/filenames.h"
#include "core/taskfile.h"
#include "platform/textstream.h"
#include "support/runtask.h"
#include "support/scriptblogs.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace pellomar::test {
namespace {

class CliProgram : public ::testing::Test {
  protected:
    // The exit status; -1 when the program did not end on its own.
    int Run(const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        process.setProcessEnvironment(environment); // http_proxy: the run's server
        QEventLoop loop;                            // the server answers from this thread
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
        QTimer::singleShot(120'000, &loop, &QEventLoop::quit);
        process.start(QCoreApplication::applicationDirPath() + u"/../../src/pellomar-cli",
                      QStringList{u"--dir"_qs, m_dir.path()} + arguments);
        loop.exec();
        m_err = QString::fromUtf8(process.readAllStandardError());
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
            return -1;
        }
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QTemporaryDir m_dir;
    QString m_err;
};

TEST_F(CliProgram, DiscoverDownloadTxtAndChmForSohuAndNetEase) {
    const bool chmcmd = !QStandardPaths::findExecutable(u"chmcmd"_qs).isEmpty();
    for (const ScriptBlog& blog :
         {MakeScriptBlog(kSohu, u"xiaoyuan"_qs, 7), MakeScriptBlog(kNetEase, u"wangyi"_qs, 7)}) {
        SCOPED_TRACE(blog.account.toStdString());
        ServeScriptBlog(blog, *browserServer);
        const QString taskFile = m_dir.filePath(blog.account + u".ini");
        const QString service = blog.kind == kSohu ? u"sohu"_qs : u"网易"_qs;

        ASSERT_EQ(Run({u"discover"_qs, service, blog.account}), 0) << m_err.toStdString();
        EXPECT_TRUE(m_err.contains(u"查找列表页：2/2")) << m_err.toStdString();
        EXPECT_FALSE(m_err.contains(u"No suitable graphics backend")) << "Chromium's own lines";
        AppState task(m_dir.path());
        ASSERT_TRUE(RunTask(ImportTask(task, taskFile)).ok);
        EXPECT_EQ(Rows(task), ExpectedScriptRows(blog));

        ASSERT_EQ(Run({u"download"_qs, taskFile}), 0) << m_err.toStdString();
        const ScriptArticle& first = blog.articles[0];
        const TaskPaths paths{m_dir.path(), blog.account};
        const QString page =
            ReadTextFile(paths.ArticleFile(first.category, first.id + u".html"), u"GB2312"_qs);
        EXPECT_TRUE(page.contains(u"》的正文：镕喆二字在GBK里。")) << page.toStdString();
        EXPECT_TRUE(page.contains(TaskPaths::PictureName(first.picture)));
        EXPECT_GT(QFileInfo(paths.PictureFile(first.category, first.picture)).size(), 0);

        ASSERT_EQ(Run({u"txt"_qs, taskFile}), 0) << m_err.toStdString();
        EXPECT_TRUE(m_err.contains(u"转换TXT：7/7")) << m_err.toStdString();
        if (chmcmd) {
            ASSERT_EQ(Run({u"chm"_qs, taskFile}), 0) << m_err.toStdString();
            EXPECT_GT(QFileInfo(m_dir.filePath(blog.account + u".chm")).size(), 0);
        }
    }
}

} // namespace
} // namespace pellomar::test

// SPDX-License-Identifier: GPL-3.0-or-later
// A blog only its owner may see: without a login the command line says so and saves no
// wall as an article; with the owner's cookies it backs the blog up, and the login's
// value is nowhere in what it wrote or printed.
#include "cli/command.h"
#include "clirunner.h"
#include "demo/sampleblog.h"
#include "support/sinatoday.h"

#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pellomar {
namespace {

const QByteArray kSecret = "owner-session-7f3a9c";

TEST(CliLogin, AnOwnerOnlyBlogNeedsTheLoginAndTheLoginLeavesNoTrace) {
    sample::SampleOptions options;
    options.articleCount = 12;
    options.categoryCount = 2;
    options.favouriteCount = 0;
    const sample::SampleBlog blog = sample::GenerateSampleBlog(options);
    test::SinaTodayServer server;
    ASSERT_TRUE(server.Start());
    server.Serve(blog);
    server.RequireLogin("SUB=" + kSecret);
    test::ScopedProxyEnv proxy(server);
    QTemporaryDir program;
    QTemporaryDir elsewhere;
    test::CliRunner cli;

    const QStringList backup = {u"backup"_qs, u"sina"_qs, u"私人"_qs,
                                sample::FirstPageAddress(blog)};
    EXPECT_EQ(cli.Run(QStringList{u"--dir"_qs, program.path()} + backup, 30'000),
              cli::kNothingDone);
    EXPECT_TRUE(cli.Err().contains(u"这个博客只有作者登录后才能看")) << cli.Err().toStdString();
    EXPECT_FALSE(QFileInfo::exists(program.filePath(u"私人"_qs)));

    const QString cookies = elsewhere.filePath(u"cookies.txt"_qs);
    QFile file(cookies);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#HttpOnly_.sina.com.cn\tTRUE\t/\tFALSE\t0\tSUB\t" + kSecret + "\n");
    file.close();
    ASSERT_EQ(cli.Run(QStringList{u"--dir"_qs, program.path(), u"--cookies"_qs, cookies} + backup,
                      30'000),
              cli::kDone)
        << cli.Err().toStdString();
    int files = 0;
    for (QDirIterator it(program.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext(); ++files) {
        QFile written(it.next());
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        EXPECT_FALSE(written.readAll().contains(kSecret)) << written.fileName().toStdString();
    }
    EXPECT_GT(files, blog.articles.size());
    EXPECT_FALSE(QString(cli.Out() + cli.Err()).contains(QString::fromLatin1(kSecret)));
}

} // namespace
} // namespace pellomar

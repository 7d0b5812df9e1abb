// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/scratchfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace pellomar;

TEST(ScratchFolder, OnlyWhatKilledRunsLeftBesideTheTargetIsRemoved) {
    const QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("博客.epub"));
    QProcess gone;
    gone.start(QStringLiteral("true"));
    ASSERT_TRUE(gone.waitForFinished());
    const QString pid = QString::number(QCoreApplication::applicationPid());
    const QString deadFolder =
        u".博客.epub.pellomar-" + QString::number(gone.processId()) + u"-a1B2c3";
    const QString liveFolder = u".博客.epub.pellomar-" + pid + u"-a1B2c3";
    for (const QString& folder : {deadFolder, liveFolder})
        ASSERT_TRUE(QDir(dir.path()).mkpath(folder + u"/project"));
    const auto touch = [&dir](const QString& name, const QDateTime& when) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.setFileTime(when, QFileDevice::FileModificationTime);
    };
    const QDateTime old = QDateTime::currentDateTime().addDays(-1);
    touch(QStringLiteral("博客.epub.Xa9kQz"), old);
    touch(QStringLiteral("博客.epub.backup"), old);
    touch(QStringLiteral("博客.epub.N3wEr1"), QDateTime::currentDateTime().addSecs(60));
    touch(QStringLiteral("别的.epub.Xa9kQz"), old);

    RemoveStaleScratch(target);
    QStringList left =
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    left.sort();
    const QStringList expected = {liveFolder, QStringLiteral("别的.epub.Xa9kQz"),
                                  QStringLiteral("博客.epub.N3wEr1"),
                                  QStringLiteral("博客.epub.backup")};
    EXPECT_EQ(left, expected);
    EXPECT_TRUE(QFileInfo(ScratchTemplate(target))
                    .fileName()
                    .startsWith(u".博客.epub.pellomar-" + pid + u'-'));
}

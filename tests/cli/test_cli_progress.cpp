// SPDX-License-Identifier: GPL-3.0-or-later
// The demo's progress as a user sees it: on a terminal (a pseudo-terminal here) one line per
// step redrawn in place, in a log plain lines; in both, numbers that never fall back within
// a step nor pass their totals.
#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QString Program() {
    return QCoreApplication::applicationDirPath() + u"/../src/pellomar-cli";
}

// Everything the demo writes to a pseudo-terminal, read until it exits.
QString RunOnATerminal(const QString& folder) {
    const QByteArray program = Program().toLocal8Bit();
    const QByteArray dir = folder.toLocal8Bit();
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child == 0) {
        // Any request that left the process would fail through this proxy.
        setenv("http_proxy", "http://127.0.0.1:9", 1);
        execl(program.constData(), program.constData(), "--dir", dir.constData(), "demo",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    if (child < 0)
        return {};
    QByteArray output;
    char buffer[4096];
    for (ssize_t n; (n = read(terminal, buffer, sizeof buffer)) > 0;)
        output.append(buffer, n);
    close(terminal);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? QString::fromUtf8(output) : QString();
}

QString RunIntoALog(const QString& folder) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("http_proxy"), QStringLiteral("http://127.0.0.1:9"));
    process.setProcessEnvironment(env);
    process.start(Program(), {QStringLiteral("--dir"), folder, QStringLiteral("demo")});
    if (!process.waitForFinished(120'000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardError());
}

TEST(CliProgress, NumbersOnlyGoForwardAndStayWithinTheirTotals) {
    for (const bool terminal : {true, false}) {
        SCOPED_TRACE(terminal ? "terminal" : "log");
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString shown = terminal ? RunOnATerminal(dir.path()) : RunIntoALog(dir.path());
        ASSERT_FALSE(shown.isEmpty()) << "the demo failed";
        if (terminal) {
            EXPECT_TRUE(shown.contains(u"\r") && shown.contains(u"\x1b[K")) << "redrawn in place";
            EXPECT_TRUE(shown.contains(u"用时")) << "the time taken";
        } else {
            EXPECT_FALSE(shown.contains(u'\r') || shown.contains(u'\x1b')) << "plain lines";
        }

        // "下载文章：12/43，…" or a caption's "打包第48/47个": the words before the numbers
        // name the step.
        static const QRegularExpression numbers(QStringLiteral("^(\\D*?)(\\d*)/(\\d+)"));
        QHash<QString, int> done;
        int steps = 0;
        const QStringList drawn = QString(shown)
                                      .remove(QStringLiteral("\x1b[K"))
                                      .split(QRegularExpression(u"[\r\n]+"_qs));
        for (const QString& line : drawn) {
            const QRegularExpressionMatch match = numbers.match(line);
            if (!match.hasMatch())
                continue;
            const QString step = match.captured(1);
            bool known = false;
            const int count = match.captured(2).toInt(&known);
            const int total = match.captured(3).toInt();
            ASSERT_TRUE(known) << "a count is shown: " << line.toStdString();
            EXPECT_LE(count, total) << line.toStdString();
            steps += done.contains(step) ? 0 : 1;
            EXPECT_GE(count, done.value(step)) << line.toStdString();
            done[step] = count;
        }
        EXPECT_GE(steps, 5) << shown.toStdString();
        EXPECT_FALSE(shown.contains(u"按“")) << "no button to press on a terminal";
    }
}

} // namespace

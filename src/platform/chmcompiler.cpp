// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/chmcompiler.h"

#include "platform/chmdirectory.h"

#include "platform/eventloop.h"
#include "platform/scratchfolder.h"
#include "platform/textstream.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <utility>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#endif
#include <QTimer>
#include <algorithm>
#include <coroutine>
#include <memory>
#include <qcoro/qcoroprocess.h>

namespace pellomar {

namespace {

using namespace std::chrono_literals;

const QString kBridgeProject = QStringLiteral("blog.hhp");
const QString kBridgeContents = QStringLiteral("blog.hhc");
// Made beside the bridge folder, so that no entry of the task folder meets it.
const QString kBridgeOutput = QStringLiteral("compiled.chm");
const QString kSearchIndex = QStringLiteral("$FIftiMain");
const QByteArray kCrLf = QByteArrayLiteral("\r\n");

bool IsReservedTopLevelName(const QString& name) {
    return name == kBridgeProject || name == kBridgeContents || name == kSearchIndex;
}

// Resumes the waiting coroutine on the first of: output to read, the end of the process, or
// the time limit. The resumption is posted, so the signal's handler returns first.
class ProcessEvent {
  public:
    ProcessEvent(QProcess& process, std::chrono::milliseconds timeout)
        : m_process(&process), m_timeout(timeout), m_guard(std::make_shared<QTimer>()) {}

    bool await_ready() const {
        return m_process->canReadLine() || m_process->state() == QProcess::NotRunning;
    }
    void await_suspend(std::coroutine_handle<> handle) {
        QTimer* guard = m_guard.get();
        // The guard carries the connections and goes with the last copy of the awaiter.
        const auto wake = [process = m_process, guard, handle] {
            guard->stop();
            guard->disconnect();
            QObject::disconnect(process, nullptr, guard, nullptr);
            QTimer::singleShot(0, QCoreApplication::instance(), [handle] { handle.resume(); });
        };
        QObject::connect(m_process, &QProcess::readyReadStandardOutput, guard, wake);
        QObject::connect(m_process, &QProcess::finished, guard, wake);
        QObject::connect(m_process, &QProcess::errorOccurred, guard, wake);
        guard->setSingleShot(true);
        QObject::connect(guard, &QTimer::timeout, guard, wake);
        guard->start(std::max(m_timeout, std::chrono::milliseconds(0)));
    }
    void await_resume() const noexcept {}

  private:
    QProcess* m_process;
    std::chrono::milliseconds m_timeout;
    std::shared_ptr<QTimer> m_guard;
};

QString ResolveProgram(const QString& program) {
    if (program.contains(u'/')) {
        const QFileInfo info(program);
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    return QStandardPaths::findExecutable(program);
}

// The line that tells most about a failure: the first that names an error, else the last.
QString Detail(const QStringList& lines) {
    static const QRegularExpression telling(
        QStringLiteral("error|exception|can't|cannot|unable|failed|does not exist"),
        QRegularExpression::CaseInsensitiveOption);
    for (const QString& line : lines)
        if (line.contains(telling))
            return u"：" + line;
    return lines.isEmpty() ? QString() : u"：" + lines.last();
}

QByteArray BridgeProject(const ChmJob& job, const QStringList& files) {
    QString title = job.title;
    title.remove(u'\r').remove(u'\n');
    const QByteArray home = job.homePage.toUtf8();
    const bool searchable = !job.searchIndex.isEmpty();
    QByteArray hhp = "[OPTIONS]" + kCrLf + "Compiled file=../" + kBridgeOutput.toUtf8() + kCrLf +
                     "Contents file=" + kBridgeContents.toUtf8() + kCrLf + "Default topic=" + home +
                     kCrLf + "Default Window=main" + kCrLf +
                     // The language decides how a viewer decodes the contents file and the
                     // title: code page 936.
                     "Language=0x804" + kCrLf + "Title=" + EncodeCp936(title) + kCrLf;
    // A search hit names a topic, and chmcmd makes topics from a binary contents tree only.
    if (searchable)
        hhp += "Binary TOC=Yes" + kCrLf;
    // The window gets its search tab along with the index.
    hhp += kCrLf + "[WINDOWS]" + kCrLf + "main=,\"" + kBridgeContents.toUtf8() + "\",,\"" + home +
           "\",\"" + home + "\",,,,," + (searchable ? "0x2421" : "0x2021") + ",,0x104e,,,,,,,,0" +
           kCrLf + kCrLf + "[FILES]" + kCrLf;
    for (const QString& file : files)
        hhp += file.toUtf8() + kCrLf;
    if (searchable)
        hhp += kSearchIndex.toUtf8() + kCrLf;
    return hhp;
}

// A link to the entry, or for a folder a folder of links, but for a page the job copies
// differently (one nested too deep for the compiler) that copy.
bool Mirror(const ChmJob& job, const QFileInfo& entry, const QString& target) {
    if (!job.pageCopy)
        return QFile::link(entry.absoluteFilePath(), target);
    if (entry.isDir()) {
        if (!QDir().mkdir(target))
            return false;
        const QFileInfoList children = QDir(entry.absoluteFilePath())
                                           .entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                          QDir::NoDotAndDotDot | QDir::NoSymLinks);
        return std::all_of(children.begin(), children.end(), [&](const QFileInfo& child) {
            return Mirror(job, child, target + u'/' + child.fileName());
        });
    }
    const QString suffix = entry.suffix().toLower();
    if (suffix == u"htm" || suffix == u"html") {
        QFile page(entry.absoluteFilePath());
        if (!page.open(QIODevice::ReadOnly))
            return false;
        const QByteArray bytes = page.readAll();
        if (const QByteArray copy = job.pageCopy(bytes); copy != bytes)
            return bool(WriteFileAtomically(target, copy));
    }
    return QFile::link(entry.absoluteFilePath(), target);
}

// The temporary folder the compiler works in: a link to every entry of the source folder,
// and the project and contents files of its own.
QString PrepareBridge(const ChmJob& job, const QString& bridge) {
    const QDir source(job.sourceFolder);
    if (!source.exists())
        return u"文件夹不存在：" + job.sourceFolder;
    // A category whose name cleans to nothing has its list ".htm", hidden here.
    const QFileInfoList entries = source.entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                       QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QFileInfo& entry : entries) {
        if (IsReservedTopLevelName(entry.fileName()))
            continue;
        if (!Mirror(job, entry, bridge + u'/' + entry.fileName()))
            return u"无法准备编译文件夹：" + entry.fileName();
    }
    const QStringList files = ChmSourceFiles(job.sourceFolder);
    for (const auto& [name, bytes] : {std::pair{kBridgeProject, BridgeProject(job, files)},
                                      std::pair{kBridgeContents, EncodeCp936(job.contents)},
                                      std::pair{kSearchIndex, job.searchIndex}}) {
        if (name == kSearchIndex && bytes.isEmpty())
            continue;
        if (const WriteResult written = WriteFileAtomically(bridge + u'/' + name, bytes); !written)
            return u"无法写入编译用的项目文件：" + written.error;
    }
    return {};
}

// Replaces the target only once the whole CHM has been copied; the reason when it could not.
QString CopyWhole(const QString& from, const QString& to) {
    QFile in(from);
    QSaveFile out(to);
    errno = 0;
    // QSaveFile names a full disk "Unknown error"; the system's reason says more.
    const auto reason = [&out] {
        const int code = errno;
        return code != 0 ? QString::fromLocal8Bit(std::strerror(code)) : out.errorString();
    };
    if (!in.open(QIODevice::ReadOnly))
        return in.errorString();
    if (!out.open(QIODevice::WriteOnly))
        return reason();
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty() || out.write(chunk) != chunk.size() || !out.flush()) {
            const QString why = chunk.isEmpty() ? in.errorString() : reason();
            out.cancelWriting();
            return why;
        }
    }
    return out.commit() ? QString() : reason();
}

} // namespace

QString ChmCompilerProgram() {
    const QString program = qEnvironmentVariable("PELLOMAR_CHMCMD");
    return program.isEmpty() ? QStringLiteral("chmcmd") : program;
}

bool CompilerCanTake(const QString& relativePath) {
    if (relativePath.isEmpty() || relativePath.startsWith(u';'))
        return false;
    for (const QString& part : relativePath.split(u'/')) {
        if (part.isEmpty() || part.front().isSpace() || part.back().isSpace())
            return false;
        for (const QChar c : part)
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                return false;
    }
    return true;
}

QStringList ChmSourceFiles(const QString& folder) {
    const QDir root(folder);
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString relative = root.relativeFilePath(it.next());
        if (IsReservedTopLevelName(relative) || !CompilerCanTake(relative))
            continue;
        files << relative;
    }
    files.sort();
    return files;
}

QCoro::Task<ChmOutcome> CompileChm(ChmJob job, ChmProgress progress,
                                   std::chrono::milliseconds timeLimit) {
    const QString program = ChmCompilerProgram();
    const QString path = ResolveProgram(program);
    if (path.isEmpty())
        co_return ChmOutcome{false, u"找不到CHM编译程序" + program + u"（Debian软件包fp-utils）"};

    RemoveStaleScratch(job.outputPath);
    QTemporaryDir work(ScratchTemplate(job.outputPath));
    const QString bridge = work.filePath(QStringLiteral("project"));
    if (!work.isValid() || !QDir().mkdir(bridge))
        co_return ChmOutcome{false, u"无法建立临时文件夹：" + work.errorString()};
    if (const QString problem = PrepareBridge(job, bridge); !problem.isEmpty())
        co_return ChmOutcome{false, problem};

    QProcess process;
    process.setWorkingDirectory(bridge);
    process.setProcessChannelMode(QProcess::MergedChannels);
#ifdef Q_OS_LINUX
    // A program killed outright must not leave the compiler running on without it.
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
#endif
    // Verbosity 5 names every file it takes in, which drives the progress caption.
    process.start(path, {QStringLiteral("--verbosity"), QStringLiteral("5"), kBridgeProject},
                  QIODevice::ReadOnly);

    // Every line is kept for the failure report; the progress counts the files taken in.
    QStringList lines;
    const auto take = [&lines](const QByteArray& raw) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty())
            return false;
        lines << line;
        return line.startsWith(u"Note: Scanning file ") ||
               line.startsWith(u"Note: Not scanning file ");
    };
    const QDeadlineTimer deadline(timeLimit);
    bool timedOut = false;
    for (;;) {
        while (process.canReadLine())
            if (take(process.readLine()) && progress && progress())
                co_await YieldOnce{};
        if (process.state() == QProcess::NotRunning)
            break;
        if (deadline.hasExpired()) {
            timedOut = true;
            process.kill();
            co_await qCoro(process).waitForFinished(10s);
            break;
        }
        co_await ProcessEvent(process, std::chrono::milliseconds(deadline.remainingTime()));
    }
    for (const QByteArray& raw : process.readAll().split('\n'))
        if (take(raw) && progress && progress())
            co_await YieldOnce{};

    if (timedOut)
        co_return ChmOutcome{false, program + u"超过" + QString::number(timeLimit.count() / 1000) +
                                        u"秒未完成，已中止"};
    if (process.error() == QProcess::FailedToStart)
        co_return ChmOutcome{false, u"无法启动" + program + u"：" + process.errorString()};
    if (process.exitStatus() == QProcess::CrashExit)
        co_return ChmOutcome{false, program + u"异常退出" + Detail(lines)};
    if (process.exitCode() != 0)
        co_return ChmOutcome{false, program + u"出错（退出码" +
                                        QString::number(process.exitCode()) + u"）" +
                                        Detail(lines)};
    // chmcmd also ends with 0 when it made nothing, for instance without a project.
    const QString compiled = work.filePath(kBridgeOutput);
    if (QFileInfo(compiled).size() <= 0)
        co_return ChmOutcome{false, program + u"没有生成CHM文件" + Detail(lines)};
    if (MendChmListingHead(compiled) == ChmDirectoryMend::NotAChm)
        co_return ChmOutcome{false, program + u"生成的不是CHM文件" + Detail(lines)};
    if (!job.searchIndex.isEmpty() && !MarkChmSearchable(compiled))
        co_return ChmOutcome{false, program + u"生成的CHM文件没有可标记全文搜索的系统信息"};
    if (const QString why = CopyWhole(compiled, job.outputPath); !why.isEmpty())
        co_return ChmOutcome{false, u"无法写入" + job.outputPath + u"：" + why};
    co_return ChmOutcome{true, {}};
}

} // namespace pellomar

// SPDX-License-Identifier: GPL-3.0-or-later
// backup: discover, download and pack in one run, by running those commands in turn on
// the task file the first one saves.
#include "cli/command.h"
#include "core/appstate.h"
#include "core/taskfile.h"
#include "services/blogaddress.h"

#include <algorithm>

namespace pellomar::cli {

const Command& DiscoverCommand();
const Command& DownloadCommand();
const Command& ChmCommand();
const Command& TxtCommand();
const Command& EpubCommand();
const Command& MarkdownCommand();

namespace {

QCoro::Task<int> RunBackup(Context& context, QStringList arguments);

// What a download can be packed into, in the order they run: the option and its command.
struct Export {
    QString option;
    const Command& (*command)();
};

const QList<Export>& Exports() {
    static const QList<Export> exports = {
        {QStringLiteral("--chm"), &ChmCommand},
        {QStringLiteral("--txt"), &TxtCommand},
        {QStringLiteral("--epub"), &EpubCommand},
        {QStringLiteral("--markdown"), &MarkdownCommand},
    };
    return exports;
}

QString ExportOptions() {
    QString options;
    for (const Export& exported : Exports())
        options += u'[' + exported.option + u"] ";
    return options;
}

QString ExportDetails() {
    QString details;
    for (const Export& exported : Exports())
        details += u"  " + exported.option.leftJustified(12) + exported.command().name + u"：" +
                   exported.command().summary + u'\n';
    return details;
}

} // namespace

const Command& BackupCommand() {
    static const Command command{
        QStringLiteral("backup"),
        ExportOptions() +
            QStringLiteral("[--utf8] [--no-pictures] [--per-page N] 网站 名称 [地址]"),
        QStringLiteral("一次完成查找、下载和打包"),
        u"先运行 discover 网站 名称 [地址]，再对它保存的任务文件运行 download，\n"
        u"然后按给出的选项依次打包：\n" +
            ExportDetails() +
            u"--no-pictures 和 --pictures 交给 discover，--per-page 交给 download，\n"
            u"--utf8 交给 txt。在第一个失败的步骤停下，以它的退出状态退出。",
        &RunBackup,
        true};
    return command;
}

namespace {

QCoro::Task<int> RunBackup(Context& context, QStringList arguments) {
    const Command& command = BackupCommand();
    QStringList chosen;
    QStringList discoverArguments;
    QStringList downloadOptions;
    QStringList packOptions;
    QStringList values;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (std::any_of(Exports().begin(), Exports().end(),
                        [&](const Export& e) { return e.option == argument; }))
            chosen << argument;
        else if (argument == u"--utf8")
            packOptions << argument;
        else if (argument == u"--no-pictures" || argument == u"--pictures")
            discoverArguments << argument;
        else if (argument == u"--per-page" && i + 1 < arguments.size())
            downloadOptions << argument << arguments[++i];
        else if (argument.startsWith(u"--per-page="))
            downloadOptions << argument;
        else if (argument.startsWith(u"--"))
            co_return UsageError(context, command, u"没有这个选项或选项不完整：" + argument);
        else
            values << argument;
    }
    if (values.size() < 2 || values.size() > 3)
        co_return UsageError(context, command, QStringLiteral("要有网站和名称"));
    const std::optional<ServiceKind> kind = ParseServiceName(values[0]);
    if (!kind)
        co_return UsageError(context, command,
                             u"没有这个网站：" + values[0] + u"；可用的有" + ServiceNames());

    if (const int status = co_await DiscoverCommand().run(context, discoverArguments + values);
        status != kDone)
        co_return status;
    AppState saved(context.programFolder);
    saved.taskName = TaskNameAsTyped(*kind, values[1]);
    const QString taskFile = TaskFilePath(saved);

    if (const int status = co_await DownloadCommand().run(context, downloadOptions << taskFile);
        status != kDone)
        co_return status;
    for (const Export& exported : Exports()) {
        if (!chosen.contains(exported.option))
            continue;
        const Command& packer = exported.command();
        QStringList packArguments = {taskFile};
        // Only the text export has an option of its own.
        if (&packer == &TxtCommand())
            packArguments = packOptions + packArguments;
        if (const int status = co_await packer.run(context, packArguments); status != kDone)
            co_return status;
    }
    co_return kDone;
}

} // namespace

} // namespace pellomar::cli

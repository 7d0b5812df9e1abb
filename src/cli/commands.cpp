// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/command.h"

#include "services/service.h"

#include <array>

namespace pellomar::cli {

// One line per command; each is defined in its command_<name>.cpp.
const Command& DiscoverCommand();
const Command& DownloadCommand();
const Command& DemoCommand();
const Command& ChmCommand();
const Command& TxtCommand();
const Command& EpubCommand();
const Command& MarkdownCommand();
const Command& BackupCommand();

const QList<const Command*>& Commands() {
    static const QList<const Command*> commands = {
        &DiscoverCommand(), &DownloadCommand(), &DemoCommand(),     &ChmCommand(),
        &TxtCommand(),      &EpubCommand(),     &MarkdownCommand(), &BackupCommand(),
    };
    return commands;
}

const Command* FindCommand(const QString& name) {
    for (const Command* command : Commands())
        if (command->name == name)
            return command;
    return nullptr;
}

std::optional<ServiceKind> ParseServiceName(const QString& text) {
    for (int kind = 0; kind < kServiceCount; ++kind)
        if (text.compare(FindService(ServiceKind(kind))->cliName, Qt::CaseInsensitive) == 0 ||
            text == ServiceLabel(ServiceKind(kind)))
            return ServiceKind(kind);
    return std::nullopt;
}

QString ServiceNames() {
    QStringList names;
    for (int kind = 0; kind < kServiceCount; ++kind)
        names << FindService(ServiceKind(kind))->cliName + u'（' + ServiceLabel(ServiceKind(kind)) +
                     u'）';
    return names.join(QStringLiteral("、"));
}

QString Usage(const Command& command) {
    return QString(u"pellomar-cli [--dir 文件夹] [--quiet] " + command.name + u' ' +
                   command.arguments)
        .trimmed();
}

int UsageError(Context& context, const Command& command, const QString& problem) {
    context.console.Error(u"pellomar-cli " + command.name + u"：" + problem);
    context.console.Error(u"用法：" + Usage(command));
    return kBadUsage;
}

} // namespace pellomar::cli

// SPDX-License-Identifier: GPL-3.0-or-later
// The sub-commands of pellomar-cli. Each lives in its own command_<name>.cpp and is listed
// once in commands.cpp.
#pragma once

#include "cli/console.h"
#include "services/service.h"

#include <QList>
#include <QNetworkCookie>
#include <QString>
#include <QStringList>
#include <optional>
#include <qcoro/qcorotask.h>

namespace pellomar::cli {

// Exit statuses of every command.
enum ExitStatus { kDone = 0, kNothingDone = 1, kBadUsage = 2 };

// What the global options decided, handed to the command.
struct Context {
    QString programFolder;
    Console& console;
    // List pages per minute asked of a service, where the user chose.
    std::optional<int> pace;
    bool originalPictures = false;
    // The login of --cookies, only cookies of the services' sites.
    QList<QNetworkCookie> cookies;
};

struct Command {
    QString name;
    // The arguments after the name, as the help shows them: "SERVICE NAME [ADDRESS]".
    QString arguments;
    // One line for the command list.
    QString summary;
    // Further help lines shown by "pellomar-cli COMMAND --help".
    QString details;
    // Gets the arguments after the command's name; returns an exit status.
    QCoro::Task<int> (*run)(Context& context, QStringList arguments);
    // Takes a SERVICE, and starts the embedded browser for one that needs it.
    bool mayStartBrowser = false;
};

const QList<const Command*>& Commands();
const Command* FindCommand(const QString& name);

// A service as the user names it: "sina", "baidu", "hexun", "netease", "sohu" (any letter
// case) or its label ("新浪" ...).
std::optional<ServiceKind> ParseServiceName(const QString& text);
// The names ParseServiceName knows, for usage texts.
QString ServiceNames();

// The command's usage line: "pellomar-cli [OPTIONS] discover SERVICE NAME [ADDRESS]".
QString Usage(const Command& command);
// Prints the problem and the command's usage on the error stream; returns kBadUsage.
int UsageError(Context& context, const Command& command, const QString& problem);

} // namespace pellomar::cli

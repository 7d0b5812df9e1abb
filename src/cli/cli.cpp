// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli.h"

#include "cli/command.h"
#include "cli/cookiesoption.h"
#include "core/updatecheck.h"
#include "platform/programfolder.h"

#include <QFileInfo>
#include <optional>

namespace pellomar::cli {

namespace {

struct GlobalOptions {
    QString folder;
    bool quiet = false;
    bool help = false;
    bool version = false;
    std::optional<int> pace;
    bool originalPictures = false;
    std::optional<QString> cookiesFile;
    const Command* command = nullptr;
    QStringList arguments;
};

QString GeneralHelp() {
    QString text = QStringLiteral(
        "usage: pellomar-cli [--dir FOLDER] [--quiet] [--pace N] [--original-pictures]\n"
        "                    [--cookies FILE] COMMAND [ARGUMENTS]\n"
        "Backs up a blog into local pages, CHM or text, without a window.\n"
        "\n"
        "Options:\n"
        "  --dir FOLDER  the program folder, which holds the task folders, task files,\n"
        "                CHM files and the log (default: the window program's folder)\n"
        "  --quiet       no progress lines\n"
        "  --pace N      list pages asked of a service per minute (default: what the\n"
        "                service accepts, 24 for Sina; 0: no limit, at your own risk)\n"
        "  --original-pictures\n"
        "                pictures in the size they were uploaded in, where the service\n"
        "                keeps it (Sina), else in the size the article shows\n"
        "  --cookies FILE\n"
        "                log in with the cookies of a Netscape cookies.txt file exported\n"
        "                from a browser (for blogs only their logged-in owner can see)\n"
        "  --help        this help; after a command's name, that command's help\n"
        "  --version     the program's version\n"
        "\n"
        "Commands:\n");
    for (const Command* command : Commands())
        text += u"  " + QString(command->name + u' ' + command->arguments).trimmed() + u"\n      " +
                command->summary + u'\n';
    text += QStringLiteral("\nExit status: 0 done, 1 nothing found, refused or failed (an article\n"
                           "not downloaded, a file not written), 2 bad usage.");
    return text;
}

QString CommandHelp(const Command& command) {
    QString text = u"usage: " + Usage(command) + u'\n' + command.summary + u'\n';
    if (!command.details.isEmpty())
        text += u'\n' + command.details;
    return text.trimmed();
}

// The value of an option given as "--name VALUE" or "--name=VALUE" (advancing i past it);
// a null text when the value is missing; nothing when the argument is another one, or
// after "--".
std::optional<QString> Valued(QStringView name, const QStringList& arguments, qsizetype& i,
                              bool optionsEnded) {
    const QString& argument = arguments[i];
    if (optionsEnded)
        return std::nullopt;
    if (argument == name)
        return i + 1 < arguments.size() ? arguments[++i] : QString();
    if (argument.startsWith(name) && argument.mid(name.size()).startsWith(u'='))
        return argument.mid(name.size() + 1);
    return std::nullopt;
}

// Global options may stand before or after the command's name; anything else that looks
// like an option is the command's own once its name has been seen. "--" ends the options.
std::optional<QString> ParseArguments(const QStringList& arguments, GlobalOptions& options) {
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!optionsEnded && argument == u"--") {
            optionsEnded = true;
        } else if (const std::optional<QString> folder =
                       Valued(u"--dir", arguments, i, optionsEnded)) {
            if (folder->isNull())
                return QStringLiteral("--dir needs a folder");
            options.folder = *folder;
        } else if (const std::optional<QString> value =
                       Valued(u"--pace", arguments, i, optionsEnded)) {
            bool ok = false;
            const int pace = value->toInt(&ok);
            if (!ok || pace < 0 || pace > 10'000)
                return u"--pace needs a number from 0 to 10000, not " + *value;
            options.pace = pace;
        } else if (const std::optional<QString> file =
                       Valued(u"--cookies", arguments, i, optionsEnded)) {
            if (file->isNull())
                return QStringLiteral("--cookies needs a file");
            options.cookiesFile = *file;
        } else if (!optionsEnded && argument == u"--original-pictures") {
            options.originalPictures = true;
        } else if (!optionsEnded && (argument == u"--quiet" || argument == u"-q")) {
            options.quiet = true;
        } else if (!optionsEnded && (argument == u"--help" || argument == u"-h")) {
            options.help = true;
        } else if (!optionsEnded && !options.command && argument == u"--version") {
            options.version = true;
        } else if (!options.command) {
            if (!optionsEnded && argument.startsWith(u'-') && argument.size() > 1)
                return u"unknown option " + argument;
            options.command = FindCommand(argument);
            if (!options.command)
                return u"unknown command " + argument;
        } else {
            options.arguments.append(argument);
        }
    }
    return std::nullopt;
}

} // namespace

bool NeedsBrowser(const QStringList& arguments) {
    GlobalOptions options;
    if (ParseArguments(arguments, options) || options.help || !options.command ||
        !options.command->mayStartBrowser)
        return false;
    for (const QString& argument : options.arguments) {
        const std::optional<ServiceKind> kind = ParseServiceName(argument);
        if (kind && FindService(*kind)->needsBrowser)
            return true;
    }
    return false;
}

QCoro::Task<int> Run(QStringList arguments, Console& console) {
    GlobalOptions options;
    if (const auto problem = ParseArguments(arguments, options)) {
        console.Error(u"pellomar-cli: " + *problem);
        console.Error(QStringLiteral("Try 'pellomar-cli --help'."));
        co_return kBadUsage;
    }
    console.SetQuiet(options.quiet);
    if (options.version && !options.help) {
        console.Out(u"pellomar-cli " + QString::number(kVersion));
        co_return kDone;
    }
    if (options.help) {
        console.Out(options.command ? CommandHelp(*options.command) : GeneralHelp());
        co_return kDone;
    }
    if (!options.command) {
        console.Error(GeneralHelp());
        co_return kBadUsage;
    }

    Context context{
        ResolveProgramFolder(options.folder), console, options.pace, options.originalPictures, {}};
    if (!QFileInfo(context.programFolder).isDir()) {
        console.Error(u"pellomar-cli: cannot use the folder " + context.programFolder);
        co_return kBadUsage;
    }
    if (options.cookiesFile) {
        std::optional<QList<QNetworkCookie>> cookies =
            ReadCookiesOption(*options.cookiesFile, console);
        if (!cookies)
            co_return kBadUsage;
        context.cookies = std::move(*cookies);
    }
    co_return co_await options.command->run(context, options.arguments);
}

} // namespace pellomar::cli

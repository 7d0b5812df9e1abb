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
        "用法：pellomar-cli [--dir 文件夹] [--quiet] [--pace N] [--original-pictures]\n"
        "                   [--cookies 文件] 命令 [参数]\n"
        "不开窗口，把博客备份成本地网页，再做成CHM、TXT或EPUB。\n"
        "\n"
        "选项：\n"
        "  --dir 文件夹   程序目录，存放任务文件夹、任务文件、CHM文件和日志\n"
        "                 （默认：窗口程序的目录）\n"
        "  --quiet        不显示进度\n"
        "  --pace N       每分钟向博客网站要几个列表页（默认：网站接受的数目，新浪是24；\n"
        "                 0：不限，风险自负）\n"
        "  --original-pictures\n"
        "                 图片用上传时的原始大小（新浪保留原图），否则用文章里显示的大小\n"
        "  --cookies 文件 用从浏览器导出的Netscape格式cookies.txt文件登录\n"
        "                 （只有登录的博主本人才能看的博客）\n"
        "  --help         本帮助；放在命令名后面是该命令的帮助\n"
        "  --version      程序的版本\n"
        "\n"
        "命令：\n");
    for (const Command* command : Commands())
        text += u"  " + QString(command->name + u' ' + command->arguments).trimmed() + u"\n      " +
                command->summary + u'\n';
    text +=
        QStringLiteral("\n退出状态：0 完成；1 没有找到、被拒绝或失败（有文章没下载成功、有文件没"
                       "写成）；\n2 用法错误。");
    return text;
}

QString CommandHelp(const Command& command) {
    QString text = u"用法：" + Usage(command) + u'\n' + command.summary + u'\n';
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
                return QStringLiteral("--dir 后面要有文件夹");
            options.folder = *folder;
        } else if (const std::optional<QString> value =
                       Valued(u"--pace", arguments, i, optionsEnded)) {
            bool ok = false;
            const int pace = value->toInt(&ok);
            if (!ok || pace < 0 || pace > 10'000)
                return u"--pace 要一个0到10000的数，不是" + *value;
            options.pace = pace;
        } else if (const std::optional<QString> file =
                       Valued(u"--cookies", arguments, i, optionsEnded)) {
            if (file->isNull())
                return QStringLiteral("--cookies 后面要有文件");
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
                return u"没有这个选项：" + argument;
            options.command = FindCommand(argument);
            if (!options.command)
                return u"没有这个命令：" + argument;
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
        console.Error(u"pellomar-cli：" + *problem);
        console.Error(QStringLiteral("用 pellomar-cli --help 查看用法。"));
        co_return kBadUsage;
    }
    console.SetQuiet(options.quiet);
    if (options.version && !options.help) {
        console.Out(u"pellomar-cli " + QString::number(kVersion));
        co_return kDone;
    }
    if (options.help) {
        for (const QString& line :
             (options.command ? CommandHelp(*options.command) : GeneralHelp()).split(u'\n'))
            console.Out(line);
        co_return kDone;
    }
    if (!options.command) {
        for (const QString& line : GeneralHelp().split(u'\n'))
            console.Error(line);
        co_return kBadUsage;
    }

    Context context{
        ResolveProgramFolder(options.folder), console, options.pace, options.originalPictures, {}};
    if (!QFileInfo(context.programFolder).isDir()) {
        console.Error(u"pellomar-cli：不能使用这个文件夹：" + context.programFolder);
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

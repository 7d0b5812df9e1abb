// SPDX-License-Identifier: GPL-3.0-or-later
// discover: what "新建" and "确定" start, then "导出".
#include "cli/command.h"
#include "cli/session.h"
#include "core/filenames.h"
#include "core/taskfile.h"
#include "discovery/discovery.h"
#include "services/blogaddress.h"

namespace pellomar::cli {

namespace {

QCoro::Task<int> RunDiscover(Context& context, QStringList arguments);

} // namespace

const Command& DiscoverCommand() {
    static const Command command{
        QStringLiteral("discover"),
        QStringLiteral("[--no-pictures] SERVICE NAME [ADDRESS]"),
        QStringLiteral("find a blog's articles and save the task as NAME.ini"),
        u"SERVICE is one of " + ServiceNames() +
            u".\n"
            u"ADDRESS defaults to the address built from NAME; a Sina blog needs it: the\n"
            u"address of its article list, http://blog.sina.com.cn/s/articlelist_<id>_0_1.html.\n"
            u"Pictures are to be saved (the task file's flag) unless --no-pictures is given\n"
            u"or the service is Hexun; --pictures turns them on for Hexun.\n"
            u"Exits with 1 when no article was found.",
        &RunDiscover,
        true};
    return command;
}

namespace {

QCoro::Task<int> RunDiscover(Context& context, QStringList arguments) {
    const Command& command = DiscoverCommand();
    std::optional<bool> pictures;
    QStringList values;
    for (const QString& argument : arguments) {
        if (argument == u"--no-pictures")
            pictures = false;
        else if (argument == u"--pictures")
            pictures = true;
        else if (argument.startsWith(u"--"))
            co_return UsageError(context, command, u"unknown option " + argument);
        else
            values.append(argument);
    }
    if (values.size() < 2 || values.size() > 3)
        co_return UsageError(context, command, QStringLiteral("needs SERVICE and NAME"));
    const std::optional<ServiceKind> kind = ParseServiceName(values[0]);
    if (!kind)
        co_return UsageError(context, command,
                             u"unknown service " + values[0] + u"; one of " + ServiceNames());
    const QString name = TaskNameAsTyped(*kind, values[1]);
    if (!IsSafePathComponent(name + u".ini"))
        co_return UsageError(context, command, u"NAME cannot name a file: " + values[1]);
    QString address;
    if (values.size() == 3)
        address = values[2];
    else if (const std::optional<QString> generated = GeneratedBlogAddress(*kind, name))
        address = *generated;
    else
        co_return UsageError(context, command,
                             QStringLiteral("a Sina blog needs the ADDRESS of its article list"));

    Session session(context);
    if (FindService(*kind)->needsBrowser)
        session.UseBrowser();
    co_await session.StartUp();
    AppState& state = session.state();
    state.savePictures = pictures.value_or(PicturesByDefault(*kind));
    const Outcome found = co_await Start(state, *kind, name, address);
    session.EndProgress();

    session.Report(found);
    if (found.articles == 0)
        co_return kNothingDone;
    const Outcome saved = ExportTask(state);
    // Values the task file could not hold as they are are named either way.
    session.Report(saved);
    if (!saved.ok)
        co_return kNothingDone;
    session.console().Out(saved.path);
    co_return found.ok ? kDone : kNothingDone;
}

} // namespace

} // namespace pellomar::cli

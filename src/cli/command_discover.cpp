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
        QStringLiteral("[--no-pictures] 网站 名称 [地址]"),
        QStringLiteral("查找博客的文章，把任务存为 名称.ini"),
        u"网站是" + ServiceNames() +
            u"之一。\n"
            u"地址默认由名称生成；新浪博客要给出地址，即它的文章目录的地址：\n"
            u"http://blog.sina.com.cn/s/articlelist_<id>_0_1.html。\n"
            u"要保存图片（任务文件里的标志），除非给了 --no-pictures 或者网站是和讯；\n"
            u"和讯用 --pictures 保存图片。\n"
            u"没有找到文章时退出状态为1。",
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
            co_return UsageError(context, command, u"没有这个选项：" + argument);
        else
            values.append(argument);
    }
    if (values.size() < 2 || values.size() > 3)
        co_return UsageError(context, command, QStringLiteral("要有网站和名称"));
    const std::optional<ServiceKind> kind = ParseServiceName(values[0]);
    if (!kind)
        co_return UsageError(context, command,
                             u"没有这个网站：" + values[0] + u"；可用的有" + ServiceNames());
    const QString name = TaskNameAsTyped(*kind, values[1]);
    if (!IsSafePathComponent(name + u".ini"))
        co_return UsageError(context, command, u"名称不能用作文件名：" + values[1]);
    QString address;
    if (values.size() == 3)
        address = values[2];
    else if (const std::optional<QString> generated = GeneratedBlogAddress(*kind, name))
        address = *generated;
    else
        co_return UsageError(context, command, QStringLiteral("新浪博客要给出它的文章目录的地址"));

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

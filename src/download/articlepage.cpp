// SPDX-License-Identifier: GPL-3.0-or-later
#include "download/articlepage.h"

#include "core/appstate.h"
#include "core/filenames.h"
#include "core/textfunctions.h"
#include "download/downloadlog.h"
#include "download/downloadsteps.h"
#include "download/pendingpictures.h"
#include "download/pictures.h"
#include "platform/textstream.h"

#include <QFileInfo>

namespace pellomar {

namespace {

constexpr int kMaxAttempts = 3;
constexpr qint64 kEmptyPageBytes = 5;

bool ContainsGoneMarker(const SiteProfile* profile, const QString& page) {
    if (!profile)
        return false;
    for (const QString* marker :
         {&profile->GoneMarkerA, &profile->GoneMarkerB, &profile->GoneMarkerC})
        if (!marker->isEmpty() && page.contains(*marker))
            return true;
    return false;
}

QString CutBody(const SiteProfile* profile, const QString& page) {
    // An end marker only at the very first character does not count.
    if (profile && page.indexOf(profile->BodyEnd) > 0)
        return CutBetween(page, profile->BodyStart, profile->BodyEnd, 10);
    return page;
}

} // namespace

bool CountAttempt(QHash<int, int>& record, int row) {
    if (++record[row] <= kMaxAttempts)
        return false;
    record.remove(row);
    return true;
}

QString GonePlaceholder(ServiceKind kind, const QString& taskName, const QString& link) {
    const Service* service = FindService(kind);
    const QString signature = service ? service->goneSignature : QString();
    return u"博文已经删除或访问受限...<br><A target=_blank href=" +
           ArticleAddress(kind, taskName, link) + u">点击这里打开源地址" + u"</a> <br>  " +
           signature;
}

WriteResult ProcessArticlePage(AppState& state, const QString& page, int row, bool errorAnswer) {
    ArticleTable& table = state.table();
    const QString category = table.Cell(row, ArticleTable::Category);
    const QString link = table.Cell(row, ArticleTable::Link);

    const bool givenUp = CountAttempt(state.attemptRecord, row);

    const TaskPaths paths = state.Paths();
    const QString folder = paths.CategoryFolder(category);
    const QString file = paths.ArticleFile(category, link);
    if (folder.isEmpty() || file.isEmpty()) {
        // A category or link that would lead outside the task folder (an edited task file
        // or a hostile list page): nothing is written, and the row fails so that the run
        // can end and name it.
        AppendLog(state.programFolder(), u"路径越出任务文件夹，已放弃:" + category + u'\\' + link);
        table.SetMark(row, kMarkFailed);
        return {};
    }
    if (WriteResult made = MakeFolder(folder); !made)
        return made;

    const SiteProfile* profile = Profile(state.serviceKind);
    QString body = errorAnswer ? QString() : CutBody(profile, page);
    body.replace(QStringLiteral("<param VALUE=\"\" />"), QStringLiteral("<已替代>"));
    if (state.savePictures) {
        const int queued = state.statusLog().Count();
        body = LocalisePictures(state, body, row);
        // Listed before the page exists: a page on disk is never fetched again.
        if (WriteResult listed =
                RecordPendingPictures(state, state.statusLog().Lines().mid(queued));
            !listed)
            return listed;
    }

    const QString text = body + u"\r\n";
    if (EncodeCp936(text).size() >= kEmptyPageBytes)
        return WriteTextFile(file, text);
    // Only a real body replaces a page already on disk (a resumed run asks again).
    if (IsOnDisk(file))
        return {};
    if (givenUp || ContainsGoneMarker(profile, page))
        return WriteTextFile(file,
                             GonePlaceholder(state.serviceKind, state.taskName, link) + u"\r\n");
    table.SetMark(row, QString());
    return {};
}

} // namespace pellomar

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
#include <QUrl>

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

namespace {

// Today's list pages leave titles empty or cut; the page's own heading gives them whole.
void TakeFullTitle(AppState& state, const Service* service, const QString& page, int row) {
    ArticleTable& table = state.table();
    if (!service || !service->pageTitle || !IsCutTitle(table.Cell(row, ArticleTable::Title)))
        return;
    const QString heading = SafeFileName(DecodeCharRefs(service->pageTitle(page)));
    if (heading.isEmpty() || heading == table.Cell(row, ArticleTable::Title))
        return;
    table.SetTitle(row, heading);
    state.titlesChanged = true;
}

// A wall instead of the article: nothing is written and the row fails, named with the
// reason, so the next run asks again. A wall that asks us to slow down pauses the service
// and the row is asked once more first.
void MeetWall(AppState& state, const PageWall& wall, int row, bool onDisk) {
    ArticleTable& table = state.table();
    const bool seenBefore = state.rowNotes.value(row) == wall.reason;
    state.rowNotes[row] = wall.reason;
    if (wall.slowDown && !seenBefore) {
        state.network().pacer().SlowDown(QUrl(ArticleAddress(state, row)));
        table.SetMark(row, QString());
        return;
    }
    // A page an earlier run saved stands.
    if (onDisk)
        state.rowNotes.remove(row);
    table.SetMark(row, onDisk ? kMarkDone : kMarkFailed);
}

} // namespace

WriteResult ProcessArticlePage(AppState& state, const QString& servedPage, int row,
                               bool errorAnswer) {
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

    if (!errorAnswer && IsCutOffDocument(servedPage)) {
        // Half a page is no answer: asked again, and an earlier whole page stands.
        state.rowNotes[row] = kCutOffNote;
        table.SetMark(row, IsFinishedPage(file) ? kMarkDone : givenUp ? kMarkFailed : QString());
        return {};
    }

    const Service* service = FindService(state.serviceKind);
    const SiteProfile* profile = service ? &service->profile : nullptr;
    const QString page = SameAddresses(state.serviceKind, servedPage);
    if (!errorAnswer) {
        if (const PageWall* wall = FindWall(state.serviceKind, page)) {
            MeetWall(state, *wall, row, IsOnDisk(file));
            return {};
        }
        TakeFullTitle(state, service, page, row);
    }
    if (WriteResult made = MakeFolder(folder); !made)
        return made;

    QString body = errorAnswer ? QString() : CutBody(profile, page);
    if (!errorAnswer && profile && page.indexOf(profile->BodyEnd) <= 0 && !page.trimmed().isEmpty())
        state.rowNotes[row] = kSavedWholeNote;
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

// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/neteasereader.h"

#include "core/appstate.h"
#include "core/filenames.h"
#include "core/textfunctions.h"
#include "platform/browserview.h"
#include "services/browserreading.h"
#include "services/listreader.h"

#include <QSet>

namespace pellomar {

namespace {

// For an article with no category line below it.
const QString kDefaultCategory = QStringLiteral("默认分类");
const QString kPageButton = QStringLiteral("js-bgc9-hover");

// The button of page 3: a SPAN of class "fc03 bgc9 bdc0 ..." whose text is 3.
bool IsPageButton(const BrowserElement& element, int page) {
    if (element.tagName != u"SPAN" || !element.className.contains(u"fc03 bgc9 bdc0"))
        return false;
    bool ok = false;
    const int n = element.innerText.trimmed().toInt(&ok);
    return ok && n == page;
}

const PageLinkRule kPageButtonRule{QStringLiteral("SPAN"), &IsPageButton, false};

// The highest page number among the buttons between "上一页" and "下一页". Without the
// previous-page button the cut gives its not-found form, the whole markup, and every
// button of the page counts. A number past what the home platform could hold is no page.
int LastPage(const QString& markup) {
    QString bar =
        CutBetween(markup, QStringLiteral("上一页</SPAN>"), QStringLiteral("下一页</SPAN>"), 20);
    bar.replace(QStringLiteral("</SPAN>"), QStringLiteral("<END></SPAN>"));
    const QStringList pieces = bar.split(QStringLiteral("</SPAN>"));
    int last = 0;
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
        if (pieces[i].indexOf(kPageButton) <= 0)
            continue;
        const std::optional<int> n =
            ReadPageNumber(CutBetween(pieces[i], kPageButton + u"\">", QStringLiteral("<END>"), 1));
        if (n && *n > last)
            last = *n;
    }
    return last;
}

// The articles of one list page: each line with a read-more link ("title=阅读全文") holds
// the title and the address, the line below it the date; the category line follows.
QList<ListRow> ReadPage(const QString& markup) {
    const QStringList lines = markup.split(kCrLf);
    QList<ListRow> rows;
    // The first category line at or after the article's line. Articles come in line order,
    // so one search serves every article up to the line it found: each line is looked at
    // once, however many articles lack a category line.
    qsizetype categoryLine = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (!line.contains(u"title=阅读全文"))
            continue;
        const QString title = CutBetween(line, QStringLiteral("target=_blank>"),
                                         QStringLiteral("</A><SPAN class="), 1);
        const QString address = CutBetween(line, QStringLiteral("阅读全文 href=\""),
                                           QStringLiteral("\" target=_blank>"), 1);
        const QString link =
            CutBetween(address, QStringLiteral("blog/static/"), QStringLiteral("/"), 1) + u".html";
        const QString date = CutBetween(lines.value(i + 1), QStringLiteral("><SPAN>"),
                                        QStringLiteral("</SPAN><SPAN class=tl>"), 1);
        if (categoryLine < i) {
            categoryLine = i;
            while (categoryLine < lines.size() && !lines[categoryLine].contains(u">分类："))
                ++categoryLine;
        }
        const QString category = categoryLine < lines.size()
                                     ? CutBetween(lines[categoryLine], QStringLiteral(">分类："),
                                                  QStringLiteral("</A>"), 0)
                                     : kDefaultCategory;
        rows.append({SafeFileName(title), category, link, date, line});
    }
    return rows;
}

} // namespace

QCoro::Task<> ReadNetEaseList(AppState& state) {
    const ReaderRun run(state);
    BrowserView& browser = RequireBrowser(state);
    browser.Navigate(state.statusLog().Line(0));
    const QString first = co_await WaitPageReady(run);
    const int last = LastPage(first);

    // Paging ends at the last page the first one names, or before: at a button that is not
    // there (page 1 shows without its click), or at a page that adds nothing new.
    QSet<QString> seen;
    co_await run.Turn();
    for (int page = 1; page <= last; ++page) {
        co_await run.Turn();
        state.SetCaption(QStringLiteral("查找文章：%1页/%2页").arg(page).arg(last));
        state.SetProgress({Progress::Discovery, page - 1, last});
        if (!co_await ClickPageLink(run, page, kPageButtonRule) && page > 1)
            break;
        const QString markup = co_await WaitPageReady(run);
        if (AddNewRows(state, seen, ReadPage(markup)) == 0)
            break;
    }
    state.SetProgress({Progress::Discovery, last, last});
}

void NetEaseReader::ReadFirstPage(AppState& state, const QByteArray&) {
    state.statusLog().Add(state.blogAddress);
}

QCoro::Task<> NetEaseReader::ReadListPage(AppState& state, QByteArray) {
    co_await ReadNetEaseList(state);
}

} // namespace pellomar

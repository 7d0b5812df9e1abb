// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/sohureader.h"

#include "core/appstate.h"
#include "core/filenames.h"
#include "core/textfunctions.h"
#include "platform/browserview.h"
#include "platform/regex.h"
#include "services/browserreading.h"
#include "services/listreader.h"
#include "services/service.h"

#include <QSet>

namespace pellomar {

namespace {

const QString kDefaultCategory = QStringLiteral("默认分类");
// The category link is looked for on the item's title line and the 11 lines below it.
constexpr int kCategoryLines = 12;

// "[3]" with onclick="chageEntryPage(3)" is the link of page 3.
bool IsPageLink(const BrowserElement& element, int page) {
    return element.tagName == u"A" && element.onclick.contains(u"chageEntryPage") &&
           CutBetween(element.innerText, QStringLiteral("["), QStringLiteral("]"), 0) ==
               QString::number(page);
}

const PageLinkRule kPageLink{QStringLiteral("A"), &IsPageLink, true};

// The highest n of the chageEntryPage(n) calls in the markup; 1 without any. A number
// past what the home platform could hold is no page.
int LastPage(const QString& markup) {
    QStringList calls = MatchAll(QStringLiteral("chageEntryPage\\(\\d+\\)"), markup).split(kCrLf);
    calls.removeLast();
    int last = 1;
    for (const QString& call : calls) {
        const std::optional<int> n = ReadPageNumber(
            CutBetween(call, QStringLiteral("chageEntryPage("), QStringLiteral(")"), 0));
        if (n && *n > last)
            last = *n;
    }
    return last;
}

// The articles of one list page: each "<DIV class=item-title>" line, with the date, title
// and link on the line below it and the category link within the lines that follow.
QCoro::Task<QList<ListRow>> ReadPage(const ReaderRun& run, QString markup) {
    const QString linkStart = QString::fromLatin1(hosts::kSohuDomain) + u'/';
    const QStringList lines = markup.split(kCrLf);
    QList<ListRow> rows;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines[i].contains(u"<DIV class=item-title>"))
            continue;
        co_await run.Turn();
        // An item on the last line has no line below: it reads as one without a title.
        const QString next = lines.value(i + 1);
        QString date = CutBetween(next, QStringLiteral("<H3>"), QStringLiteral("&nbsp;"), 1);
        QString title =
            CutBetween(next, QStringLiteral("target=_blank>"), QStringLiteral("</A>"), 1);
        QString link = CutBetween(next, linkStart, QStringLiteral(".html"), 1) + u".html";
        QString category = kDefaultCategory;
        for (qsizetype j = i; j < i + kCategoryLines && j < lines.size(); ++j) {
            if (lines[j].contains(u"类别&nbsp;(<A")) {
                category = CutBetween(lines[j], QStringLiteral("/\">"), QStringLiteral("</A>)"), 0);
                break;
            }
        }
        // A hidden entry shows no link, so its title cannot be cut. Only the cut's not-found
        // form counts: a title that merely holds "未找到" is a real article.
        if (title.startsWith(kNotFoundPrefix)) {
            date = QStringLiteral("0000-00-00");
            title = QStringLiteral("隐藏日志不能下载");
            link = QStringLiteral("000000.html");
        }
        rows.append({SafeFileName(title), category, link, date, next});
    }
    co_return rows;
}

} // namespace

QCoro::Task<> ReadSohuList(AppState& state) {
    const ReaderRun run(state);
    BrowserView& browser = RequireBrowser(state);
    browser.Navigate(state.statusLog().Line(0));
    co_await WaitPageReady(run);
    co_await WaitTicks(run, 5);
    const QString first = co_await browser.BodyOuterHtml();
    const int last = LastPage(first);

    // Paging ends at the last page the first one names, or before: at a link that is not
    // there, or at a page that adds nothing new (a page offering a next link for ever).
    QSet<QString> seen;
    co_await run.Turn();
    for (int page = 1; page <= last; ++page) {
        co_await run.Turn();
        state.SetCaption(QStringLiteral("查找文章：%1页/%2页").arg(page).arg(last));
        state.SetProgress({Progress::Discovery, page - 1, last});
        if (page > 1 && !co_await ClickPageLink(run, page, kPageLink))
            break;
        const QString markup = co_await WaitPageReady(run);
        if (AddNewRows(state, seen, co_await ReadPage(run, markup)) == 0)
            break;
    }
    state.SetProgress({Progress::Discovery, last, last});
}

void SohuReader::ReadFirstPage(AppState& state, const QByteArray&) {
    state.statusLog().Add(state.blogAddress);
}

QCoro::Task<> SohuReader::ReadListPage(AppState& state, QByteArray) {
    co_await ReadSohuList(state);
}

} // namespace pellomar

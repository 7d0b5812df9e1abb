// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/sohureader.h"

#include "core/appstate.h"
#include "core/filenames.h"
#include "core/textfunctions.h"
#include "platform/browserview.h"
#include "platform/eventloop.h"
#include "platform/regex.h"
#include "services/browserreading.h"
#include "services/service.h"

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

// The highest n of the chageEntryPage(n) calls in the markup; 1 without any.
int LastPage(const QString& markup) {
    QStringList calls = MatchAll(QStringLiteral("chageEntryPage\\(\\d+\\)"), markup).split(kCrLf);
    calls.removeLast();
    int last = 1;
    for (const QString& call : calls) {
        bool ok = false;
        const int n =
            CutBetween(call, QStringLiteral("chageEntryPage("), QStringLiteral(")"), 0).toInt(&ok);
        if (ok && n > last)
            last = n;
    }
    return last;
}

// The articles of one list page: each "<DIV class=item-title>" line, with the date, title
// and link on the line below it and the category link within the lines that follow.
QCoro::Task<> ReadPage(AppState& state, QString markup) {
    const QString linkStart = QString::fromLatin1(hosts::kSohuDomain) + u'/';
    const QStringList lines = markup.split(kCrLf);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines[i].contains(u"<DIV class=item-title>"))
            continue;
        co_await YieldOnce{};
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
        AddFoundArticle(state, SafeFileName(title), category, link, date);
    }
}

} // namespace

QCoro::Task<> ReadSohuList(AppState& state) {
    BrowserView& browser = RequireBrowser(state);
    browser.Navigate(state.statusLog().Line(0));
    co_await WaitPageReady(state);
    co_await WaitTicks(state, 5);
    const QString first = co_await browser.BodyOuterHtml();
    const int last = LastPage(first);

    co_await YieldOnce{};
    for (int page = 1; page <= last; ++page) {
        co_await YieldOnce{};
        state.SetCaption(QStringLiteral("查找文章：%1页/%2页").arg(page).arg(last));
        state.SetProgress({Progress::Discovery, page - 1, last});
        if (page > 1)
            co_await ClickPageLink(state, page, kPageLink);
        const QString markup = co_await WaitPageReady(state);
        co_await ReadPage(state, markup);
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

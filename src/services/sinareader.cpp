// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/sinareader.h"

#include "core/appstate.h"
#include "core/filenames.h"
#include "core/textfunctions.h"
#include "platform/regex.h"
#include "platform/textstream.h"
#include "services/service.h"

#include <QRegularExpression>
#include <QSet>
#include <optional>

namespace pellomar {

namespace {

constexpr int kArticlesPerPage = 50;

const QString kAllArticles = QStringLiteral("全部博文");
const QString kFavourites = QStringLiteral("博文收藏");

QString SinaHost() {
    return QString::fromLatin1(hosts::kSinaBlog);
}

QString ArticlePrefix() {
    return u"http://" + SinaHost() + u"/s/";
}

// A menu or heading count. The table cannot hold more than this many articles of one
// list, so a larger number would only queue pages it refuses.
std::optional<int> ReadCount(const QString& text) {
    bool ok = false;
    const int count = text.trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return qMin(count, int(ArticleTable::kMaxPerCategory));
}

// The category menu is one line of entries. The current entry ("全部博文") ends in
// "</div> </li>" where the others end in "</div></li>", so a blank may stand between the
// two tags; without allowing for it the first category would share the current entry's
// piece and never be read.
QStringList MenuEntries(const QString& line) {
    static const QRegularExpression entryEnd(QStringLiteral("</div>\\s*</li>"));
    return line.split(entryEnd);
}

// What one first page queues: no list twice (a heading repeated a thousand times), and no
// category longer than the whole blog (a menu that claims 32767 articles a hundred times).
struct PageQueueing {
    AppState& state;
    std::optional<int> blogTotal;
    QSet<QString> lists;

    void Add(int count, const QString& address, bool ownArticles) {
        if (lists.contains(address))
            return;
        lists.insert(address);
        AddSinaPages(state, ownArticles && blogTotal ? std::min(count, *blogTotal) : count,
                     address);
    }
};

void QueueCategories(PageQueueing& queue, const QString& line) {
    const QStringList pieces = MenuEntries(line);
    const QString current = u"<strong>" + kAllArticles + u"</strong>";
    for (qsizetype i = 1; i <= pieces.size() - 2; ++i) {
        const QString& piece = pieces[i];
        // The all-articles list is queued from its heading; its menu entry has no address.
        if (piece.contains(current))
            continue;
        const std::optional<int> count =
            ReadCount(CutBetween(piece, QStringLiteral("<em>("), QStringLiteral(")</em>"), 1));
        if (!count)
            continue;
        const QString address =
            u"http" + CutBetween(piece, QStringLiteral("http"), QStringLiteral(".html"), 1) +
            u".html";
        queue.Add(*count, address, true);
    }
}

void QueueFavourites(PageQueueing& queue, const QString& line) {
    const AppState& state = queue.state;
    const std::optional<int> count =
        ReadCount(CutBetween(line, kFavourites + u"</a><em>(", QStringLiteral(")</em></"), 1));
    const qsizetype length = state.blogAddress.size();
    if (!count || length < 2)
        return;
    // "favourites" is one letter shorter than "articlelist": the address keeps "..._0_1.htm",
    // and its pages become "..._0" + k + ".html", which the service reads as page k.
    const QString address =
        QString(state.blogAddress)
            .replace(QStringLiteral("articlelist"), QStringLiteral("favourites"))
            .left(length - 2);
    queue.Add(*count, address, false);
}

void QueueAllArticles(PageQueueing& queue, const QString& line) {
    const std::optional<int> count =
        ReadCount(CutBetween(line, kAllArticles + u"<em>(", QStringLiteral(")</em>"), 1));
    if (count)
        queue.Add(*count, queue.state.blogAddress, true);
}

QStringList Pieces(const QString& matches) {
    return matches.split(QStringLiteral("\r\n"));
}

// Today's lists leave the title attribute empty and show the title, cut to its first
// characters and an ellipsis, as the link's text; the article's page gives it whole when
// it is downloaded. Without any text, the link stands in, marked as cut.
QString ListedTitle(const QString& attribute, const QString& entry, const QString& end,
                    const QString& link) {
    if (!attribute.isEmpty())
        return attribute;
    const qsizetype open = entry.indexOf(QStringLiteral(".html\">"));
    const qsizetype close = open < 0 ? -1 : entry.indexOf(end, open);
    const QString text = close < 0 ? QString() : entry.mid(open + 7, close - open - 7).trimmed();
    if (!text.isEmpty())
        return text;
    return QString(link).remove(QStringLiteral(".html")) + kCutTitleMark;
}

void ReadFavouritesPage(AppState& state, const QString& text) {
    const QStringList titles =
        Pieces(MatchAll(Quoted(QStringLiteral("class=#text#><a title=#.*# target=#_blank")), text));
    const QStringList entries =
        Pieces(MatchAll(Quoted(QStringLiteral("class=#text#><a title=.*</a></div>")), text));
    const QStringList times =
        Pieces(MatchAll(Quoted(QStringLiteral("class=#time SG_txtc#>.*</div></li>")), text));
    // The host's dots stay pattern wildcards, as they always were.
    const QStringList links =
        Pieces(MatchAll(u"http://" + SinaHost() + u"/s/blog_.*.html\">", text));
    // A page whose title or time matches run short pairs the missing ones with the empty
    // text, which the cuts turn into their not-found form.
    for (qsizetype i = 0; i <= links.size() - 2; ++i) {
        const QString link = CutBetween(links[i], ArticlePrefix(), QStringLiteral("\">"), 5);
        const QString title = ListedTitle(CutBetween(titles.value(i), QStringLiteral("<a title=\""),
                                                     QStringLiteral("\" target="), 0),
                                          entries.value(i), QStringLiteral("</a></div>"), link);
        const QString date = CutBetween(times.value(i), QStringLiteral("time SG_txtc\">"),
                                        QStringLiteral("</div></li>"), 5);
        AddFoundArticle(state, SafeFileName(title), kFavourites, link, date);
    }
}

void ReadArticleListPage(AppState& state, const QString& text) {
    const QStringList items = Pieces(
        MatchAll(Quoted(QStringLiteral("<a title=.*target=#_blank# href=.*>.*</a></span>")), text));
    const QStringList times =
        Pieces(MatchAll(Quoted(QStringLiteral("<span class=#atc_tm SG_txtc#>.*</span>")), text));
    const QString heads =
        MatchAll(Quoted(QStringLiteral("<span comp_title=#.*<em>.*</em># class=#title#>")), text);
    const QString category =
        CutBetween(heads, QStringLiteral("<span comp_title=\""), QStringLiteral("<em>"), 0);
    const bool allArticles = category == kAllArticles;
    for (qsizetype i = 0; i <= items.size() - 2; ++i) {
        const QString link = CutBetween(items[i], ArticlePrefix(), QStringLiteral("\">"), 5);
        const QString title = ListedTitle(
            CutBetween(items[i], QStringLiteral("<a title=\""), QStringLiteral("\" target="), 0),
            items[i], QStringLiteral("</a></span>"), link);
        const QString date = CutBetween(times.value(i), QStringLiteral("atc_tm SG_txtc\">"),
                                        QStringLiteral("</span>"), 5);
        if (!allArticles || !state.seenLinks.contains(link))
            AddFoundArticle(state, SafeFileName(title), category, link, date);
        state.seenLinks.insert(link);
    }
}

} // namespace

void AddSinaPages(AppState& state, int count, const QString& address) {
    if (address.size() < 6)
        return;
    const QString stem = address.left(address.size() - 6);
    for (int k = 1; count > 0; ++k, count -= kArticlesPerPage)
        state.statusLog().Add(stem + QString::number(k) + u".html");
}

void ReadSinaCounts(AppState& state, const QString& text) {
    const QString currentAll = u"<strong>" + kAllArticles + u"</strong>";
    const QString favourites = kFavourites + u"</a><em>";
    const QString heading = u"comp_title=\"" + kAllArticles;
    PageQueueing queue{
        state, ReadCount(CutBetween(text, currentAll + u"<em>(", QStringLiteral(")</em>"), 0)), {}};
    const QStringList lines = text.split(u'\n');
    for (const QString& line : lines) {
        if (line.contains(currentAll))
            QueueCategories(queue, line);
        if (line.contains(favourites))
            QueueFavourites(queue, line);
        if (line.contains(heading))
            QueueAllArticles(queue, line);
    }
}

void ReadSinaListPage(AppState& state, const QString& text) {
    if (text.contains(u"<strong>" + kFavourites + u"</strong><em>("))
        ReadFavouritesPage(state, text);
    else
        ReadArticleListPage(state, text);
}

void SinaReader::ReadFirstPage(AppState& state, const QByteArray& body) {
    ReadSinaCounts(state, SinaService().sameAddresses(DecodeBytes(body, QStringLiteral("UTF-8"))));
}

QCoro::Task<> SinaReader::ReadListPage(AppState& state, QByteArray body) {
    ReadSinaListPage(state, SinaService().sameAddresses(
                                DecodeCharRefs(DecodeBytes(body, QStringLiteral("UTF-8")))));
    co_return;
}

} // namespace pellomar

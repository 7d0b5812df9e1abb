// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/hexunreader.h"

#include "core/appstate.h"
#include "core/textfunctions.h"
#include "platform/textstream.h"
#include "services/service.h"

#include <QStringList>
#include <optional>

namespace pellomar {

namespace {

const QString kCharset = QStringLiteral("GB2312");
const QString kCategory = QStringLiteral("默认类别");

QString Domain() {
    return QString::fromLatin1(hosts::kHexunDomain);
}

QString ListPageAddress(const QString& account, int page) {
    return u"http://" + account + u'.' + Domain() + u"/p" + QString::number(page) +
           u"/default.aspx";
}

} // namespace

void ReadHexunPageCount(AppState& state, const QString& text) {
    const QString barStart = QStringLiteral("<div class='PageSkip'>");
    const QString pageStart = Domain() + u"/p";
    int last = 0;
    const QStringList lines = text.split(kCrLf);
    for (const QString& line : lines) {
        if (!line.contains(barStart))
            continue;
        const QStringList pieces =
            CutBetween(line, barStart, QStringLiteral("class='PageSkip_2'>"), 1)
                .split(QStringLiteral("</a>"));
        // A piece without a page link cuts to the not-found form, which is no number.
        for (qsizetype k = 0; k + 1 < pieces.size(); ++k) {
            const std::optional<int> page = ReadPageNumber(
                CutBetween(pieces[k], pageStart, QStringLiteral("/default.aspx"), 1));
            if (page && *page > last)
                last = *page;
        }
    }
    for (int page = 1; page <= last; ++page)
        state.statusLog().Add(ListPageAddress(state.taskName, page));
}

void ReadHexunListPage(AppState& state, const QByteArray& body) {
    const QString start = QStringLiteral("<!--  文章列表:开始  -->");
    QString text = DecodeBytes(body, kCharset);
    text.remove(kCrLf);
    text.remove(u'\t');
    if (!text.contains(start))
        return;
    const QStringList items = CutBetween(text, start, QStringLiteral("multipage-current"), 1)
                                  .split(QStringLiteral("</a></div></div></div>"));
    const QString linkStart = Domain() + u'/';
    const QString linkEnd = QStringLiteral("_d.html");
    for (qsizetype k = 0; k + 1 < items.size(); ++k) {
        const QString& item = items[k];
        const QString link = CutBetween(item, linkStart, linkEnd, 1) + linkEnd;
        const QString title =
            CutBetween(item, QStringLiteral("_d.html'>"), QStringLiteral("</a></span>"), 1);
        const QString date =
            CutBetween(item, QStringLiteral("</a></span>"), QStringLiteral("&nbsp;</div>"), 1);
        AddFoundArticle(state, title, kCategory, link, date);
    }
}

void HexunReader::ReadFirstPage(AppState& state, const QByteArray& body) {
    ReadHexunPageCount(state, DecodeBytes(body, kCharset));
}

QCoro::Task<> HexunReader::ReadListPage(AppState& state, QByteArray body) {
    ReadHexunListPage(state, body);
    co_return;
}

} // namespace pellomar

// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/baidureader.h"

#include "core/appstate.h"
#include "core/textfunctions.h"
#include "platform/textstream.h"
#include "services/service.h"

#include <QStringList>
#include <optional>

namespace pellomar {

namespace {

const QString kCharset = QStringLiteral("GB2312");

QString ListPageAddress(const QString& account, int page) {
    return u"http://" + QString::fromLatin1(hosts::kBaiduSpace) + u'/' + account + u"/blog/index/" +
           QString::number(page);
}

// A piece of the paging line after "index/": the page number, then its closing quote,
// then ">".
std::optional<int> PieceNumber(const QString& piece) {
    const qsizetype end = piece.indexOf(u'>');
    if (end < 1)
        return std::nullopt;
    return ReadPageNumber(piece.left(end - 1));
}

// The first line at or after a start that holds a text. The starts asked for never go
// back, so a line found for one article also answers the next ones until they start past
// it: each line is looked at once per search, however far the searches run on.
class ForwardSearch {
  public:
    ForwardSearch(const QStringList& lines, QString text) : m_lines(lines), m_text(text) {}

    // The line's index, or the line count when no line from `from` on holds the text.
    qsizetype From(qsizetype from) {
        if (m_found >= from)
            return m_found;
        m_found = from;
        while (m_found < m_lines.size() && !m_lines[m_found].contains(m_text))
            ++m_found;
        return m_found;
    }

  private:
    const QStringList& m_lines;
    const QString m_text;
    qsizetype m_found = -1;
};

// `length` characters from the 1-based position `from`; a cut whose length would be
// negative (a line too short for its markup) has nothing to give.
QString Mid(const QString& line, qsizetype from, qsizetype length) {
    if (length < 0)
        return kNotFoundPrefix;
    return line.mid(from - 1, length);
}

QString TitleOf(const QString& line) {
    return line.left(line.size() - 10);
}

QString CategoryOf(const QString& line) {
    const qsizetype c = line.indexOf(u">类别：") + 1;
    return Mid(line, c + 4, line.size() - c - 9);
}

QString DateOf(const QString& line) {
    const qsizetype g = line.indexOf(u'>') + 1;
    return Mid(line, g + 1, line.size() - 24);
}

// A search that ran past the last line found nothing to cut.
template <class Cut> QString CellAt(const QStringList& lines, qsizetype index, Cut cut) {
    return index < lines.size() ? cut(lines[index]) : kNotFoundPrefix;
}

} // namespace

void ReadBaiduPageCount(AppState& state, const QByteArray& body) {
    const QString marker = QStringLiteral("0>[首页]</a>");
    int last = 0;
    const QStringList lines = DecodeBytes(body, kCharset).split(u'\n');
    for (const QString& line : lines) {
        if (!line.contains(marker))
            continue;
        const QStringList pieces = line.split(QStringLiteral("index/"));
        for (qsizetype k = 2; k < pieces.size(); ++k) {
            const std::optional<int> page = PieceNumber(pieces[k]);
            if (page && *page > last)
                last = *page;
        }
    }
    for (int page = 0; page <= last; ++page)
        state.statusLog().Add(ListPageAddress(state.taskName, page));
}

void ReadBaiduListPage(AppState& state, const QByteArray& body) {
    const QString marker = Quoted(QStringLiteral("<div class=#tit#><a"));
    const QStringList lines = DecodeBytes(body, kCharset).split(QStringLiteral("\n\t"));
    ForwardSearch titles(lines, QStringLiteral("</a></div>"));
    ForwardSearch categories(lines, QStringLiteral(">类别"));
    ForwardSearch dates(lines, QStringLiteral("<div class="));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (!line.contains(marker) || !line.contains(u"/blog/item/"))
            continue;
        // An article name of 24 characters and ".html".
        // A link that is no page name is stored as the not-found form of its line, which the
        // download refuses as a path: the row stays, so numbers and counts do not shift.
        QString link = line.mid(line.indexOf(u"item/") + 5, 29);
        if (!IsPageName(link))
            link = kNotFoundPrefix + line;
        AddFoundArticle(state, CellAt(lines, titles.From(i), TitleOf),
                        CellAt(lines, categories.From(i), CategoryOf), link,
                        CellAt(lines, dates.From(i + 2), DateOf));
    }
}

void BaiduReader::ReadFirstPage(AppState& state, const QByteArray& body) {
    ReadBaiduPageCount(state, body);
}

QCoro::Task<> BaiduReader::ReadListPage(AppState& state, QByteArray body) {
    ReadBaiduListPage(state, body);
    co_return;
}

} // namespace pellomar

// SPDX-License-Identifier: GPL-3.0-or-later
#include "download/indexpages.h"

#include "core/appstate.h"
#include "core/filenames.h"
#include "core/textfunctions.h"
#include "platform/eventloop.h"
#include "platform/textstream.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <vector>

namespace pellomar {

namespace {

// Category pages and lists grow line by line. Lines are gathered per file and written at
// every yield, which spares one open and close per line on large blogs; a file counts as
// existing as soon as lines are waiting for it. A file's first write of the run replaces
// it whole, so that a rerun lists each article once.
class Appender {
  public:
    bool Exists(const QString& path) const {
        return m_pending.contains(path) || m_written.contains(path);
    }
    void Add(const QString& path, const QString& line) {
        if (!path.isEmpty())
            m_pending[path] += line + kCrLf;
    }
    WriteResult Flush() {
        WriteResult result;
        for (auto it = m_pending.cbegin(); it != m_pending.cend() && result; ++it) {
            const bool first = !m_written.contains(it.key());
            result =
                first ? WriteTextFile(it.key(), it.value()) : AppendTextFile(it.key(), it.value());
            m_written.insert(it.key());
        }
        m_pending.clear();
        return result;
    }

  private:
    QHash<QString, QString> m_pending;
    QSet<QString> m_written;
};

QString Num(qint64 number) {
    return QString::number(number);
}

void AddCategoryHeader(Appender& files, const QString& path, const QString& cat) {
    files.Add(path, QStringLiteral("<center><table border=1 width=90% bordercolordark=#F0fFFF "
                                   "cellspacing=0 bordercolor=#800000>"));
    files.Add(path, u"<tr><td bgcolor=80F0FF align=center colspan=5 ><font size=5>" + cat +
                        u"</font></td></tr>");
    files.Add(path, QStringLiteral(
                        "<style type= Text/css><!--.style4 {margin-top : 2px; padding-bottom : "
                        "2px; margin-bottom : 1px; margin-left : 15px; margin-right : 10px; "
                        "font-size : 14px; font-family : Tahoma,Verdana,Arial; color: "
                        "#000000;}--></style>"));
}

QString CategoryRow(qint64 number, const QString& cat, const QString& link, const QString& title,
                    const QString& date, const QString& size) {
    return u"<tr><td width=3%>" + Num(number) + u"</td><td ><p class= style4><A href=" +
           CategoryRelativePath(cat, link, u'\\') + u'>' + title + u"</a></td><td width=15%>" +
           date + u" </td><td width=6%>" + size + u"KB</td><tr>";
}

struct Row {
    QString cat;
    QString link;
    QString title;
    QString date;
    QString size;
};

// A title or date from a task file edited by hand may hold markup the list cleaner never
// saw; shown as text it cannot run in the index pages.
QString AsText(QString text) {
    return text.replace(u'<', QStringLiteral("&lt;")).replace(u'>', QStringLiteral("&gt;"));
}

Row ReadRow(const ArticleTable& table, const TaskPaths& paths, int i) {
    const QString category = table.Cell(i, ArticleTable::Category);
    const QString link = table.Cell(i, ArticleTable::Link);
    // A missing article file (or one whose path is refused) shows as 0 KB.
    const QString file = paths.ArticleFile(category, link);
    const QFileInfo info(file);
    const qint64 bytes = !file.isEmpty() && info.isFile() ? info.size() : 0;
    return {paths.CategoryName(category), link, AsText(table.Cell(i, ArticleTable::Title)),
            AsText(table.Cell(i, ArticleTable::Date)), SizeText(bytes)};
}

QString FullList(const std::vector<Row>& rows) {
    QString text;
    text += QStringLiteral("<center><table border=1 width=90% bordercolordark=#F0fFFF "
                           "cellspacing=0 bordercolor=#808000>") +
            kCrLf;
    text += u"<tr><td bgcolor=80F0FF align=center colspan=5 ><font size=5>" +
            QStringLiteral("全部清单") + u"</font></td></tr>" + kCrLf;
    text += QStringLiteral("<style type= Text/css><!--.style4 {margin-top : 1px; padding-bottom "
                           ": 1px; margin-bottom : 1px; margin-left : 10px; margin-right : 5px; "
                           "font-size : 14px; font-family : Tahoma,Verdana,Arial; color: "
                           "#000000;}--></style>") +
            kCrLf;
    for (size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        text += u"<tr><td width=5%>" + Num(qint64(i) + 1) +
                u"</td><td ><p class= style4><A target=_blank href=" +
                CategoryRelativePath(row.cat, row.link, u'\\') + u'>' + row.title +
                u"</a></td><td width=25%>" + row.cat + u" </td><td width=15%>" + row.date +
                u"</td><td width=6%>" + row.size + u"KB</td><tr>" + kCrLf;
    }
    return text;
}

QString TopIndex(const AppState& state, const CategoryList& categories, int articles, int perPage,
                 const QDateTime& now) {
    QString text;
    text += QStringLiteral("<center><table  width=90% border=1 bordercolordark=#dddddd "
                           "cellspacing=0 bordercolor=#90aaaa>") +
            kCrLf;
    text += u"<tr><td bgcolor=#80F0FF align=center colspan=5><font size=5><a target=_blank  href=" +
            state.blogAddress + u'>' + state.taskName + u"</a></font></td></tr>" + kCrLf;
    text += QStringLiteral("<style type= Text/css><!--.style4 {margin-top : 5px; padding-bottom "
                           ": 5px; margin-bottom : 0px; margin-left : 5px; margin-right : 5px; "
                           "font-size : 14px; font-family : Tahoma,Verdana,Arial; color: "
                           "#000000;}--></style>") +
            kCrLf;
    text += QStringLiteral("<tr><td width=5%><center>所有</center></td><td width=28% ><p class= "
                           "style4><A title=点此查看所有文章") +
            u" target=_blank href=all.htm><b>" + u"全部清单</a></b>(" + Num(articles) +
            u")</td><td><---点击左边查看所有文章按日期排序。" + u"  更新日期：" +
            now.toString(u"yyyy-M-d") + u'[' + now.toString(u"H:mm:ss") + u"]</td>" + kCrLf;

    const int used = categories.Size();
    for (int c = 0; c < used; ++c) {
        const QString& category = categories.names[c];
        const int count = categories.counts[c];
        const int pages = count > 0 ? (count + perPage - 1) / perPage : 0;
        const QString name = state.table().CategoryFileName(category);
        text += u"<tr><td width=5%><center>" + Num(c + 1) +
                u"</center></td><td width=28% ><p class= style4><A title=" + category +
                u" target=_blank href=" + name + u".htm><b>" + category.left(30) + u"</a></b>" +
                u'(' + Num(count) + u")</td><td>" + kCrLf;
        for (int p = 1; p <= pages; ++p)
            text += u"<A href=" + name + Num(p) + u".htm><b>" + Num(p) + u"</b></a>" + kCrLf;
        text += QStringLiteral("</td></tr>") + kCrLf;
    }
    return text;
}

} // namespace

QString SizeText(qint64 bytes) {
    // Exact decimal arithmetic: 1250 bytes is 1.25 KB and rounds to 1.2.
    if (bytes < 0)
        bytes = 0;
    qint64 tenths = bytes / 100;
    const qint64 rest = bytes % 100;
    if (rest > 50 || (rest == 50 && tenths % 2 == 1))
        ++tenths;
    QString text = Num(tenths / 10);
    if (tenths % 10 != 0)
        text += u'.' + Num(tenths % 10);
    return text;
}

QCoro::Task<WriteResult> WriteIndexPages(AppState& state, QDateTime now) {
    const ArticleTable& table = state.table();
    const TaskPaths paths = state.Paths();
    const int n = table.ArticleCount();
    std::vector<Row> rows;
    rows.reserve(size_t(n));
    Appender files;

    for (int i = 1; i <= n; ++i) {
        if (i % 100 == 0) {
            if (WriteResult flushed = files.Flush(); !flushed)
                co_return flushed;
            co_await YieldOnce{};
        }
        state.SetCaption(u"生成文章索引：" + Num(i) + u'/' + Num(n));
        state.SetProgress({Progress::Index, i, n});
        const int perPage = state.PerPage();
        const qint64 number = table.Cell(i, ArticleTable::Ordinal).toLongLong();
        qint64 page = 1;
        qint64 pos = number;
        if (pos > perPage) {
            page = (pos - 1) / perPage + 1;
            pos -= (page - 1) * perPage;
        }
        rows.push_back(ReadRow(table, paths, i));
        const Row& row = rows.back();

        const QString pagePath = paths.InTaskFolder(row.cat + Num(page) + u".htm");
        const QString listPath = paths.InTaskFolder(row.cat + u".htm");
        if (!pagePath.isEmpty() && !files.Exists(pagePath))
            AddCategoryHeader(files, pagePath, row.cat);
        if (!listPath.isEmpty() && !files.Exists(listPath))
            AddCategoryHeader(files, listPath, row.cat);
        files.Add(pagePath, CategoryRow(pos, row.cat, row.link, row.title, row.date, row.size));
        if (pos == perPage)
            files.Add(pagePath, u"<center> <A href=" + row.cat + Num(page - 1) +
                                    u".htm> </table>←上一页</a>&nbsp;&nbsp;" + u"<A href=" +
                                    row.cat + Num(page + 1) + u".htm>下一页→</a>");
        files.Add(listPath, CategoryRow(number, row.cat, row.link, row.title, row.date, row.size));
    }
    if (WriteResult flushed = files.Flush(); !flushed)
        co_return flushed;

    const QString fullList = paths.InTaskFolder(QStringLiteral("all.htm"));
    if (!fullList.isEmpty())
        if (WriteResult written = WriteTextFile(fullList, FullList(rows)); !written)
            co_return written;

    state.SetCaption(QStringLiteral("正在生成总索引"));
    if (!now.isValid())
        now = QDateTime::currentDateTime();
    const QString topIndex = paths.InTaskFolder(QStringLiteral("index.html"));
    if (topIndex.isEmpty())
        co_return WriteResult{};
    co_return WriteTextFile(topIndex, TopIndex(state, table.Categories(), n, state.PerPage(), now));
}

} // namespace pellomar

// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloadedtask.h"

#include "core/appstate.h"
#include "core/filenames.h"
#include "packaging/bmppicture.h"
#include "platform/textstream.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace pellomar::test {

namespace {

struct Article {
    QString title;
    QString category;
    QString link;
    QStringList pictures; // addresses at the service
};

const QString kCrLf = QStringLiteral("\r\n");

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

void WriteLines(const QString& path, const QStringList& lines) {
    WriteFile(path, EncodeCp936(lines.join(kCrLf) + kCrLf));
}

QString Size(const QString& path) {
    return QString::number(QFile(path).size() / 1000.0, 'f', 1)
        .remove(QRegularExpression(QStringLiteral("\\.0$")));
}

QString Header(const QString& colour, const QString& caption) {
    return u"<center><table border=1 width=90% bordercolordark=#F0fFFF cellspacing=0 "
           u"bordercolor=#" +
           colour + u">\r\n<tr><td bgcolor=80F0FF align=center colspan=5 ><font size=5>" + caption +
           u"</font></td></tr>\r\n<style type= Text/css><!--.style4 {margin-top : 2px; "
           u"padding-bottom : 2px; margin-bottom : 1px; margin-left : 15px; margin-right : 10px; "
           u"font-size : 14px; font-family : Tahoma,Verdana,Arial; color: #000000;}--></style>";
}

} // namespace

QByteArray SolidPng(int width, int height, quint32 rgb) {
    QByteArray raw;
    for (int y = 0; y < height; ++y) {
        raw += '\0';
        for (int x = 0; x < width; ++x) {
            // A lighter frame makes the picture easy to see on a white page.
            const bool frame = x < 4 || y < 4 || x >= width - 4 || y >= height - 4;
            const quint32 colour = frame ? 0x303030u : rgb;
            raw += char(colour >> 16);
            raw += char(colour >> 8);
            raw += char(colour);
        }
    }
    return RgbRowsAsPng(quint32(width), quint32(height), raw);
}

QStringList PageLinks(const QString& html) {
    static const QRegularExpression attribute(
        QStringLiteral("\\b(?:href|src)\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))"),
        QRegularExpression::CaseInsensitiveOption);
    QStringList links;
    for (auto it = attribute.globalMatch(html); it.hasNext();) {
        const auto match = it.next();
        for (int group = 1; group <= 3; ++group)
            if (match.capturedStart(group) >= 0)
                links << match.captured(group);
    }
    return links;
}

QString WriteDownloadedTask(AppState& state) {
    state.taskName = QStringLiteral("测试博客");
    state.blogAddress = QStringLiteral("http://blog.sina.com.cn/u/1234567890");
    const QString picture = QStringLiteral("http://s1.sinaimg.cn/middle/4701280bg7a1b2c3d4e5f&690");
    const QList<Article> articles = {
        {QStringLiteral("春天的第一篇日记"),
         QStringLiteral("生活 随笔"),
         QStringLiteral("blog_4701280b0100a001.html"),
         {picture}},
        {QStringLiteral("Qt 与 C++ 编程笔记"),
         QStringLiteral("技术"),
         QStringLiteral("blog_4701280b0100a002.html"),
         {picture + u"1"}},
        {QStringLiteral("夏日：海边的照片"),
         QStringLiteral("生活 随笔"),
         QStringLiteral("blog_4701280b0100a003.html"),
         {QStringLiteral("http://s2.sinaimg.cn/orignal/4701280bgaa11bb22cc33.jpg"),
          QStringLiteral("http://s3.sinaimg.cn/bmiddle/4701280b?id=7&size=big")}},
        {QStringLiteral("一个很长很长的标题超过了三十个字符用来测试目录里面被截断的效果吧"),
         QStringLiteral("技术"),
         QStringLiteral("blog_4701280b0100a004.html"),
         {}},
        {QStringLiteral("旅行#1 \"北京\""),
         QStringLiteral("旅行/游记"),
         QStringLiteral("blog_4701280b0100a005.html"),
         {}},
    };
    const QString taskFolder = state.programFolder() + u'/' + state.taskName;
    const TaskPaths paths{state.programFolder(), state.taskName};
    EXPECT_TRUE(QDir().mkpath(taskFolder));
    ArticleTable& table = state.table();
    table.Reset();
    const QList<quint32> colours = {0xE04040u, 0x40A040u, 0x4060E0u, 0xE0A020u};
    int pictureNumber = 0;
    for (const Article& article : articles) {
        EXPECT_TRUE(table.AddArticle(article.title, article.category, article.link,
                                     QStringLiteral("2011-08-21")));
        QDir().mkpath(paths.CategoryFolder(article.category));
        QString body = u"<div class=articalContent><p>这是《" + article.title +
                       u"》的正文。</p>\r\n<p>第二段&nbsp;文字，&#20013;文。<br>"
                       u"<a href=\"http://blog.sina.com.cn/s/blog_4701280b0100zzzz.html\" "
                       u"target=_blank>原文</a></p>";
        for (const QString& address : article.pictures) {
            body += u"<p><img src=\"" + TaskPaths::PictureName(address) + u"\" title=\"图\"></p>";
            WriteFile(paths.PictureFile(article.category, address),
                      SolidPng(240, 140, colours[pictureNumber++ % colours.size()]));
        }
        body += QStringLiteral("</div>");
        WriteLines(paths.ArticleFile(article.category, article.link), {body});
    }

    // The index pages, written as the download writes them (20 articles a page).
    QStringList all = {Header(QStringLiteral("808000"), QStringLiteral("全部清单"))};
    QStringList index = {
        QStringLiteral("<center><table  width=90% border=1 bordercolordark=#dddddd cellspacing=0 "
                       "bordercolor=#90aaaa>"),
        u"<tr><td bgcolor=#80F0FF align=center colspan=5><font size=5><a target=_blank  href=" +
            state.blogAddress + u'>' + state.taskName + u"</a></font></td></tr>",
        QStringLiteral("<style type= Text/css><!--.style4 {margin-top : 5px;}--></style>"),
        u"<tr><td width=5%><center>所有</center></td><td width=28% ><p class= style4><A "
        u"title=点此查看所有文章 target=_blank href=all.htm><b>全部清单</a></b>(" +
            QString::number(table.ArticleCount()) +
            u")</td><td><---点击左边查看所有文章按日期排序。  更新日期：2011-8-21[6:06:07]</td>",
    };
    const CategoryList& categories = table.Categories();
    for (int slot = 0; slot < categories.Size(); ++slot) {
        const QString name = categories.names[slot];
        const QString cat = SafeFileName(name);
        QStringList page = {Header(QStringLiteral("800000"), cat)};
        for (int row = 1; row <= table.ArticleCount(); ++row) {
            if (table.Cell(row, ArticleTable::Category) != name)
                continue;
            const QString link = table.Cell(row, ArticleTable::Link);
            page << u"<tr><td width=3%>" + table.Cell(row, ArticleTable::Ordinal) +
                        u"</td><td ><p class= style4><A href=" + cat + u'\\' + link + u'>' +
                        table.Cell(row, ArticleTable::Title) + u"</a></td><td width=15%>" +
                        table.Cell(row, ArticleTable::Date) + u" </td><td width=6%>" +
                        Size(paths.ArticleFile(name, link)) + u"KB</td><tr>";
        }
        WriteLines(paths.InTaskFolder(cat + u"1.htm"), page);
        WriteLines(paths.InTaskFolder(cat + u".htm"), page);
        index << u"<tr><td width=5%><center>" + QString::number(slot + 1) +
                     u"</center></td><td width=28% ><p class= style4><A title=" + name +
                     u" target=_blank href=" + cat + u".htm><b>" + name.left(30) + u"</a></b>(" +
                     QString::number(categories.counts[slot]) + u")</td><td>"
              << u"<A href=" + cat + u"1.htm><b>1</b></a>" << QStringLiteral("</td></tr>");
    }
    for (int row = 1; row <= table.ArticleCount(); ++row) {
        const QString name = table.Cell(row, ArticleTable::Category);
        const QString cat = SafeFileName(name);
        const QString link = table.Cell(row, ArticleTable::Link);
        all << u"<tr><td width=5%>" + QString::number(row) +
                   u"</td><td ><p class= style4><A target=_blank href=" + cat + u'\\' + link +
                   u'>' + table.Cell(row, ArticleTable::Title) + u"</a></td><td width=25%>" + cat +
                   u" </td><td width=15%>" + table.Cell(row, ArticleTable::Date) +
                   u"</td><td width=6%>" + Size(paths.ArticleFile(name, link)) + u"KB</td><tr>";
    }
    WriteLines(paths.InTaskFolder(QStringLiteral("all.htm")), all);
    WriteLines(paths.InTaskFolder(QStringLiteral("index.html")), index);
    return taskFolder;
}

} // namespace pellomar::test

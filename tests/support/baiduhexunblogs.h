// SPDX-License-Identifier: GPL-3.0-or-later
// Baidu space and Hexun blogs for the tests, served in code page 936. No list page of either
// service from the program's time survives, so this markup is built from what the readers
// look for (their list markers) and what the download cuts out (the services' body markers),
// not copied from the services.
#pragma once

#include "core/servicekind.h"
#include "demo/loopbackserver.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace pellomar::test {

struct BlogArticle {
    QString title; // as the list shows it and the table keeps it
    QString category;
    QString link; // the link cell
    QString date;
    QStringList pictures; // addresses in the article's body (Baidu only)
};

struct FixtureBlog {
    ServiceKind kind = kBaidu;
    QString account;
    QList<BlogArticle> articles; // in list order: the order of the rows discovery gives
};

// `count` articles, ten to a list page, over three categories (Baidu) or "默认类别" (Hexun),
// with titles the file-name cleaner changes and characters that only GBK, not GB2312, holds.
FixtureBlog BaiduBlog(const QString& account, int count);
FixtureBlog HexunBlog(const QString& account, int count);

// title, category, link, date and number within the category of each row.
QList<QStringList> ExpectedRows(const FixtureBlog& blog);

// Every list page (the blog address too), article page and picture.
void ServeBlog(const FixtureBlog& blog, LoopbackServer& server);

// The pieces the pages are made of, for the reader tests.
// Baidu: an article's lines (to be joined by line feed + tab) and the paging line.
QStringList BaiduArticleLines(const QString& account, const BlogArticle& article);
QString BaiduPagingLine(const QString& account, int lastPage);
// Hexun: one item of the list, and the paging bar of page `current` with links to `linked`.
QString HexunItem(const QString& account, const BlogArticle& article);
QString HexunPagingBar(const QString& account, int current, const QList<int>& linked);
// An empty bar: no paging bar.
QString HexunListPage(const QList<QString>& items, const QString& bar);

} // namespace pellomar::test

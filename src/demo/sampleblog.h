// SPDX-License-Identifier: GPL-3.0-or-later
// A made-up Sina blog, coherent from its first list page down to its pictures, written in
// the markup the real service delivers. The bundled demo serves it through the loopback
// server; the tests build variants of it to drive discovery and download end to end.
//
// Addresses served (uid = the blog's user id, k = page number from 1, c = category id):
//   http://blog.sina.com.cn/s/articlelist_<uid>_0_<k>.html    all-articles list pages
//   http://blog.sina.com.cn/s/articlelist_<uid>_<c>_<k>.html  category list pages
//   http://blog.sina.com.cn/s/favourites_<uid>_<k>.html       favourites pages; the service
//       also answers "favourites_<uid>_0<k>.html" with page k, so both forms are served
//   http://blog.sina.com.cn/s/blog_<id>.html                  article pages (also those of
//                                                             the favourite articles)
//   http://sNN.sinaimg.cn/middle/...                          pictures (small bitmaps)
// Every list page shows 50 entries, newest first; pages are UTF-8.
#pragma once

#include "demo/loopbackserver.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace pellomar::sample {

inline constexpr int kArticlesPerListPage = 50;

// How the category menu line ends its current ("全部博文") entry. Real: as the service
// writes it, "</span></div>", blanks, "<div class=\"menuCell_bot\"></div> </li>" (a blank
// before "</li>"), while the other entries end in "<div class=\"menuCell_bot\"></div></li>".
// Clean: the current entry ends like the others.
enum class MenuShape { Real, Clean };

struct SampleCategory {
    int id = 0;   // the c in articlelist_<uid>_<c>_<k>.html, from 1
    QString name; // Chinese
};

struct SampleArticle {
    QString id;    // "40e4b5660100sser"
    QString link;  // "blog_" + id + ".html": the reader's link cell
    QString title; // plain text, as the title attribute carries it
    // The category whose pages list the article; empty when it has none (then it is found
    // only on the all-articles pages). Favourite articles have none either.
    QString category;
    // Exactly as its list page shows it: "2011-08-21 10:20" on article lists,
    // "(2011-08-21 10:20)" on favourites pages.
    QString date;
    // What the author wrote: the content of the article's content block, which lies
    // between the service's body markers. Pictures are written the Sina way.
    QString body;
    // Picture addresses exactly as they stand in the real_src attributes (and as they are
    // served: nobody decodes the "&amp;" the service writes into them).
    QStringList pictures;
};

struct SampleBlog {
    quint32 uid = 0;
    QString nick;                     // the blog owner's name, shown in page titles
    QString title;                    // the blog's title
    QList<SampleCategory> categories; // in menu order
    QList<SampleArticle> articles;    // newest first: the all-articles order
    QList<SampleArticle> favourites;  // articles of other blogs, newest first
    MenuShape menuShape = MenuShape::Real;
};

struct SampleOptions {
    int articleCount = 120;
    int categoryCount = 4;      // categories holding articles
    int emptyCategoryCount = 0; // further categories with "(0)" articles, listed last
    int uncategorisedCount = 0; // articles that no category lists (the oldest ones)
    int picturesPerArticle = 2;
    int picturedEvery = 1; // only every n-th article of the blog has pictures
    int favouriteCount = 3;
    quint32 seed = 1;
    quint32 uid = 0; // 0: derived from the seed
    MenuShape menuShape = MenuShape::Real;
};

// The same options give the same blog, byte for byte.
SampleBlog GenerateSampleBlog(const SampleOptions& options);

// The articles of a category, in the all-articles order: what its pages list.
QList<SampleArticle> CategoryListing(const SampleBlog& blog, const SampleCategory& category);
// The number the menu shows for a category: its articles.
int CategoryCount(const SampleBlog& blog, const SampleCategory& category);

// What categories' pages list instead of their own articles, by category id, in page order.
// The menu counts each category's distinct links.
using CategoryListings = QMap<int, QList<SampleArticle>>;

QString FirstPageAddress(const SampleBlog& blog); // page 1 of the all-articles list
QString AllArticlesPageAddress(const SampleBlog& blog, int page);
QString CategoryPageAddress(const SampleBlog& blog, const SampleCategory& category, int page);
QString FavouritesPageAddress(const SampleBlog& blog, int page);
QString ArticlePageAddress(const SampleArticle& article);

// A page as the service sends it: UTF-8 HTML.
LoopbackServer::Response HtmlResponse(const QString& html);

// Every page and picture of the blog, by address.
QMap<QString, LoopbackServer::Response> SamplePages(const SampleBlog& blog,
                                                    const CategoryListings& listings = {});
// Loads SamplePages into the server.
void ServeSampleBlog(const SampleBlog& blog, LoopbackServer& server,
                     const CategoryListings& listings = {});

} // namespace pellomar::sample

// SPDX-License-Identifier: GPL-3.0-or-later
// The sample blog's pages, written line for line the way the Sina service writes them.
#pragma once

#include "demo/sampleblog.h"

#include <QByteArray>
#include <QMap>
#include <QString>

namespace pellomar::sample {

// What a list page shows as its current entry and lists.
struct ListPageView {
    enum class Kind { AllArticles, Category, Favourites };
    Kind kind = Kind::AllArticles;
    const SampleCategory* category = nullptr; // for Kind::Category
    int page = 1;
    int pageCount = 1;
    QList<SampleArticle> entries;  // this page's entries, in order
    QMap<int, int> categoryCounts; // what the menu shows for each category, by id
};

QString RenderListPage(const SampleBlog& blog, const ListPageView& view);
QString RenderArticlePage(const SampleBlog& blog, const SampleArticle& article);
// A page at an article address: the service's head and foot around the given columns.
QString RenderArticleFrame(const SampleBlog& blog, const QString& pageTitle,
                           const QString& columns);
// A valid 160x100 bitmap (BMP) of stripes whose colour depends on seed.
QByteArray PictureBytes(quint32 seed);

// Markup escaping as the service does it for titles.
QString EscapeHtml(const QString& text);

} // namespace pellomar::sample

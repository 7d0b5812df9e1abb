// SPDX-License-Identifier: GPL-3.0-or-later
// Oddities of the real service laid over the sample blog: the discovery and download tests
// meet them, the demo never shows them.
#pragma once

#include "demo/loopbackserver.h"
#include "demo/sampleblog.h"

#include <QString>

namespace pellomar::test {

// Lists the first article of the blog's first category twice in a row on that category's
// first page; returns its link (empty when the category has none). Serve with the listings.
QString ListTwice(const sample::SampleBlog& blog, sample::CategoryListings& listings);

// Lists blog.articles[index] in the category after its own as well, in the all-articles
// order; the menu counts it there too. Returns that category's name (empty when the article
// has no category or the blog only one).
QString ListInSecondCategory(const sample::SampleBlog& blog, qsizetype index,
                             sample::CategoryListings& listings);

// After ServeSampleBlog: the article's address answers with the service's page for a
// deleted or restricted article.
void ServeGonePage(const sample::SampleBlog& blog, const sample::SampleArticle& article,
                   LoopbackServer& server);
// After ServeSampleBlog: the article's address answers 200 with an empty body.
void ServeEmptyPage(const sample::SampleArticle& article, LoopbackServer& server);

} // namespace pellomar::test

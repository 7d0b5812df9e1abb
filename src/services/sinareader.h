// SPDX-License-Identifier: GPL-3.0-or-later
// Sina's article lists: 50 articles per page, one list per category, one for the
// favourites and one of all articles. Every category list is read before the all-articles
// list, so that the articles found there keep their category.
#pragma once

#include "services/listreader.h"

#include <QString>

namespace pellomar {

class AppState;

// Queues the pages of a list of `count` articles: `address` is its page 1 ("..._1.html").
void AddSinaPages(AppState& state, int count, const QString& address);

// Reads the decoded first page: queues the category, favourites and all-articles pages,
// in the order the page shows them.
void ReadSinaCounts(AppState& state, const QString& text);

// Reads one decoded list page (character references already decoded) and adds its articles.
void ReadSinaListPage(AppState& state, const QString& text);

class SinaReader : public ListReader {
  public:
    void ReadFirstPage(AppState& state, const QByteArray& body) override;
    QCoro::Task<> ReadListPage(AppState& state, QByteArray body) override;
};

} // namespace pellomar

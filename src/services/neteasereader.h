// SPDX-License-Identifier: GPL-3.0-or-later
// NetEase 163's article list: built by page scripts, so it is read from the live
// document of the embedded browser, and paged by clicking the page-number buttons of its
// paging bar, which rebuild the list in place.
#pragma once

#include "services/listreader.h"

namespace pellomar {

class AppState;

// Loads the task address (status-list line 0), reads the page numbers of the paging bar,
// and for every page clicks its button (page 1's too) and adds its articles.
QCoro::Task<> ReadNetEaseList(AppState& state);

class NetEaseReader : public ListReader {
  public:
    // Queues the task address; the browser reads the rest.
    void ReadFirstPage(AppState& state, const QByteArray& body) override;
    bool FetchesPages() const override { return false; }
    QCoro::Task<> ReadListPage(AppState& state, QByteArray body) override;
};

} // namespace pellomar

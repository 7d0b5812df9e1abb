// SPDX-License-Identifier: GPL-3.0-or-later
// Sohu's article list: built by page scripts, so it is read from the live
// document of the embedded browser, and paged by clicking the "[n]" links that call
// chageEntryPage(n).
#pragma once

#include "services/listreader.h"

namespace pellomar {

class AppState;

// Loads the task address (status-list line 0), finds the last page from the paging
// calls, and adds the articles of every page, clicking its way from page to page.
QCoro::Task<> ReadSohuList(AppState& state);

class SohuReader : public ListReader {
  public:
    // Queues the task address; the browser reads the rest.
    void ReadFirstPage(AppState& state, const QByteArray& body) override;
    bool FetchesPages() const override { return false; }
    QCoro::Task<> ReadListPage(AppState& state, QByteArray body) override;
};

} // namespace pellomar

// SPDX-License-Identifier: GPL-3.0-or-later
// Baidu space's article lists: pages numbered from 0 under the account's address, each
// article's category read from the list itself. Both readers take the raw body and decode
// it as code page 936 themselves.
#pragma once

#include "services/listreader.h"

#include <QByteArray>

namespace pellomar {

class AppState;

// Queues pages 0 to the highest page the paging line links to (page 0 alone without one).
void ReadBaiduPageCount(AppState& state, const QByteArray& body);

// Reads one list page and adds its articles. A link that does not come out as a page name
// ("<name>.html") is stored as the not-found form of its line; a title, category or date
// that cannot be found or cut is stored as the bare not-found prefix.
void ReadBaiduListPage(AppState& state, const QByteArray& body);

class BaiduReader : public ListReader {
  public:
    void ReadFirstPage(AppState& state, const QByteArray& body) override;
    QCoro::Task<> ReadListPage(AppState& state, QByteArray body) override;
};

} // namespace pellomar

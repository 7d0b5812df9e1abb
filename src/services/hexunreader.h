// SPDX-License-Identifier: GPL-3.0-or-later
// Hexun's article lists: pages numbered from 1 on the account's own sub-domain; the lists
// show no category, so every article is filed under "默认类别".
#pragma once

#include "services/listreader.h"

#include <QByteArray>
#include <QString>

namespace pellomar {

class AppState;

// Reads the decoded first page: queues pages 1 to the highest page its paging bar links
// to, and nothing without a paging bar.
void ReadHexunPageCount(AppState& state, const QString& text);

// Reads one list page from its raw body and adds its articles. A missing link, title or
// date is stored in its not-found form; the row is added all the same.
void ReadHexunListPage(AppState& state, const QByteArray& body);

class HexunReader : public ListReader {
  public:
    void ReadFirstPage(AppState& state, const QByteArray& body) override;
    QCoro::Task<> ReadListPage(AppState& state, QByteArray body) override;
};

} // namespace pellomar

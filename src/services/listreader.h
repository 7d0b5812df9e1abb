// SPDX-License-Identifier: GPL-3.0-or-later
// What discovery needs from a service: how to read its first list page and each further
// one. Each service has one reader; the driver knows none of them by name.
#pragma once

#include "core/servicekind.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <qcoro/qcorotask.h>
#include <stdexcept>

namespace pellomar {

class AppState;

// The first list page could not be fetched at all: the network, not the address, failed.
inline const QString kNetworkFailed = QStringLiteral("网络连接失败，请检查网络后重试！");

// A list page got no answer (no connection, no such host, refused): discovery ends at once
// with kNetworkFailed.
class NetworkFailure : public std::runtime_error {
  public:
    NetworkFailure();
};

class ListReader {
  public:
    virtual ~ListReader() = default;

    // Queues the addresses of the list pages to visit in the status list, from the raw
    // body of the first page (each service decodes it its own way).
    virtual void ReadFirstPage(AppState& state, const QByteArray& body) = 0;

    // True when the driver fetches every queued page and hands over its raw body; false
    // for readers that load and page through the list themselves (they get an empty body).
    virtual bool FetchesPages() const { return true; }

    // Reads one list page and adds its articles.
    virtual QCoro::Task<> ReadListPage(AppState& state, QByteArray body) = 0;
};

// A fresh reader for one discovery run; none for a service without one.
std::unique_ptr<ListReader> MakeListReader(ServiceKind kind);

// AddArticle as the readers call it: a row the table refuses (too many categories, too many
// articles in one) becomes a line in the status list and discovery goes on.
void AddFoundArticle(AppState& state, const QString& title, const QString& category,
                     const QString& link, const QString& date);

// The number of a paging link, read as the home platform read its 16-bit integers: 0 to
// 32767, blanks around it allowed. Anything else is no page number (and queues nothing).
std::optional<int> ReadPageNumber(const QString& text);

// Whether a link cut from a list page can name the article's file and address: ASCII
// letters, digits, "_", "-" and "." ending in ".html". A failed cut, or one that ran into
// the markup, is none.
bool IsPageName(const QString& link);

} // namespace pellomar

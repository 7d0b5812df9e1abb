// SPDX-License-Identifier: GPL-3.0-or-later
// The browser-paced steps the Sohu and NetEase readers share. They read the live document
// of the embedded browser, paced by TimerTick (Timer2, every 100 ms) and by the
// document-complete notification. Every wait has a limit; one that runs out throws
// BrowserWaitFailed, and discovery ends with its text in the status list. A page that got
// no answer throws NetworkFailure; a replaced run, RunReplaced.
#pragma once

#include "services/readerrun.h"

#include <QString>
#include <qcoro/qcorotask.h>
#include <stdexcept>

namespace pellomar {

class AppState;
class BrowserView;
struct BrowserElement;

// The limits, in ticks of Timer2. Each is the wall-clock time of that many ticks, so an
// event loop too busy to deliver every tick does not stretch it.
// A list page shows the service's ready marker, without its busy marker, within 30 s. The
// list is read as soon as it shows: the browser's own load limit, longer, only ends
// loads of pictures and scripts the list does not need.
inline constexpr int kPageReadyLimitTicks = 300;
// A clicked paging link has brought a new document within 30 s.
inline constexpr int kPageLoadLimitTicks = 300;

// A wait ran out, or the browser is missing: the reason, in the window's words.
class BrowserWaitFailed : public std::runtime_error {
  public:
    explicit BrowserWaitFailed(const QString& reason);
};

// The browser to read through; BrowserWaitFailed with the reason when there is none.
BrowserView& RequireBrowser(AppState& state);

// Whether the markup is the current service's list, built: its ListReadyMarker after the
// first character, and no ListBusyMarker.
bool IsListReady(const AppState& state, const QString& markup);

// Returns at a tick at which the document shows the list, with its markup, whether or not
// the browser still loads the page's other parts. Right after Navigate the previous
// document still shows; the browser reads it as empty.
QCoro::Task<QString> WaitPageReady(const ReaderRun& run);

// Returns after n - 1 ticks (none for n of 0 or 1).
QCoro::Task<> WaitTicks(const ReaderRun& run, quint8 n);

// How a service's paging element is found and what its click does.
struct PageLinkRule {
    QString tagName;
    // Whether element is the paging element of page.
    bool (*matches)(const BrowserElement& element, int page) = nullptr;
    // Sohu: the click loads a new document, waited for. NetEase: the page rebuilds its
    // list in place, and one tick is waited.
    bool loadsDocument = false;
};

// Waits for the list, then clicks the first element in document order that the rule takes
// for page's link. False when there is none: nothing was clicked.
QCoro::Task<bool> ClickPageLink(const ReaderRun& run, int page, PageLinkRule rule);

// The rows of one list page as a reader cuts them, and the markup line each was cut from.
struct ListRow {
    QString title, category, link, date;
    QString source;
};

// Adds the rows whose source line no earlier page of the run showed; returns how many.
// A page that adds none is the list's end, whatever its paging links claim.
int AddNewRows(AppState& state, QSet<QString>& seen, const QList<ListRow>& rows);

} // namespace pellomar

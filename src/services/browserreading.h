// SPDX-License-Identifier: GPL-3.0-or-later
// The browser-paced steps the Sohu and NetEase readers share. They read the live document
// of the embedded browser, paced by TimerTick (Timer2, every 100 ms) and by the
// document-complete notification. Every wait has a limit; one that runs out throws
// BrowserWaitFailed, and discovery ends with its text in the status list.
#pragma once

#include <QString>
#include <qcoro/qcorotask.h>
#include <stdexcept>

namespace pellomar {

class AppState;
class BrowserView;
struct BrowserElement;

// The limits, in ticks of Timer2. Each is the wall-clock time of that many ticks, so an
// event loop too busy to deliver every tick does not stretch it.
// A list page shows the service's ready marker, without its busy marker, within 30 s.
inline constexpr int kPageReadyLimitTicks = 300;
// A clicked paging link has loaded its page within 30 s (the browser itself stops a load
// at 30 s, so this one ends clicks that never start a load).
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

// Returns at a tick at which the document is ready, with its markup. A document still
// loading is not ready: right after Navigate the browser still shows the previous one.
QCoro::Task<QString> WaitPageReady(AppState& state);

// Returns after n - 1 ticks (none for n of 0 or 1).
QCoro::Task<> WaitTicks(AppState& state, quint8 n);

// How a service's paging element is found and what its click does.
struct PageLinkRule {
    QString tagName;
    // Whether element is the paging element of page.
    bool (*matches)(const BrowserElement& element, int page) = nullptr;
    // Sohu: the click loads a new document, waited for by the load flag. NetEase: the page
    // rebuilds its list in place, and one tick is waited.
    bool loadsDocument = false;
};

// Waits for a ready document that is not loading, then clicks the first element in
// document order that the rule takes for page's link. Nothing is clicked when none is.
QCoro::Task<> ClickPageLink(AppState& state, int page, PageLinkRule rule);

} // namespace pellomar

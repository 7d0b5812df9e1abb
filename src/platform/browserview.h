// SPDX-License-Identifier: GPL-3.0-or-later
// The embedded browser the script-built list pages are read through. The engine only
// sees this interface; the browser itself lives outside the headless engine.
//
// Reading the live document means asking the page's own process, so those calls are
// coroutines. Each ends within the browser's script time limit: a page that does not
// answer in time (a script that never ends, a crashed page) reads as empty.
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <qcoro/qcorotask.h>

namespace pellomar {

// One element of the document's `all` collection.
struct BrowserElement {
    int index = -1;    // position in `all`: every element of the document, in document order
    QString tagName;   // upper case: "A", "SPAN"
    QString className; // the class attribute: "fc03 bgc9 bdc0"
    QString onclick;   // the onclick attribute's script text
    QString innerText; // the visible text
};

class BrowserView : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;

    // Silent: pages show no dialogs and ask for nothing (alerts, log-ins, files).
    virtual void SetSilent(bool on) = 0;
    // Starts loading an absolute address; documentComplete follows.
    virtual void Navigate(const QString& address) = 0;
    // True from Navigate, or from a load the page starts itself, until documentComplete.
    virtual bool Busy() const = 0;
    // The last load ended without an answer from the server (no connection, no such host,
    // refused), not merely with an error page or at the load time limit.
    virtual bool NoAnswer() const { return false; }
    // The current document is about to be replaced (a link that loads a new one was
    // clicked): until the next one shows, BodyOuterHtml reads empty. Navigate implies it.
    virtual void LeaveDocument() {}

    // Body.OuterHtml: the body's markup as its scripts left it, in the old browser's
    // style (upper-case tag names, one-word attribute values bare), lines CR LF. Empty
    // while a document that was left still shows.
    virtual QCoro::Task<QString> BodyOuterHtml() = 0;
    // The elements of `all` named tagName, or all of them when it is empty.
    virtual QCoro::Task<QList<BrowserElement>> Elements(QString tagName) = 0;
    // Clicks the element, so that its onclick script runs; false when it is gone.
    virtual QCoro::Task<bool> Click(BrowserElement element) = 0;

    // Clicks the first element named tagName, in document order, that matches; false
    // when none does.
    QCoro::Task<bool> ClickFirst(QString tagName,
                                 std::function<bool(const BrowserElement&)> matches) {
        const QList<BrowserElement> elements = co_await Elements(tagName);
        for (const BrowserElement& element : elements)
            if (matches(element))
                co_return co_await Click(element);
        co_return false;
    }

  signals:
    // The document-complete notification: the load ended. ok is false when it failed
    // or was stopped at the browser's load time limit.
    void documentComplete(bool ok);
};

} // namespace pellomar

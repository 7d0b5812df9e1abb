// SPDX-License-Identifier: GPL-3.0-or-later
// A browser without Chromium: each address shows fixed markup, at once, as the readers'
// markers expect it. It has no elements, so no paging link is ever found.
#pragma once

#include "core/servicekind.h"
#include "platform/browserview.h"

#include <QHash>
#include <QTimer>

namespace pellomar::test {

class StandInBrowser : public BrowserView {
  public:
    QHash<QString, QString> pages;
    int reads = 0;

    void SetSilent(bool) override {}
    void Navigate(const QString& address) override {
        m_markup = pages.value(address);
        QTimer::singleShot(0, this, [this] { emit documentComplete(true); });
    }
    bool Busy() const override { return false; }
    QCoro::Task<QString> BodyOuterHtml() override {
        ++reads;
        // A copy: GCC 12 moves from a member named in co_return.
        QString markup = m_markup;
        co_return markup;
    }
    QCoro::Task<QList<BrowserElement>> Elements(QString) override { co_return {}; }
    QCoro::Task<bool> Click(BrowserElement) override { co_return false; }

  private:
    QString m_markup;
};

// A list page of `count` articles as the browser serialises it, Sohu's or NetEase's (the
// latter with page buttons 1 and 2).
QString StandInListMarkup(ServiceKind kind, const QString& account, int count);

} // namespace pellomar::test

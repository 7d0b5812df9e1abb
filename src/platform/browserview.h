// SPDX-License-Identifier: GPL-3.0-or-later
// The embedded browser the script-built list pages are read through. The engine only
// sees this interface; the browser itself lives outside the headless engine.
#pragma once

#include <QObject>
#include <QString>

namespace pellomar {

class BrowserView : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual void SetSilent(bool on) = 0;
    virtual void Navigate(const QString& address) = 0;
    virtual bool Busy() const = 0;

signals:
    void documentComplete();
};

} // namespace pellomar

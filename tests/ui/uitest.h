// SPDX-License-Identifier: GPL-3.0-or-later
// Small helpers for driving the widgets the way a user does, and for catching what the
// window hands to the desktop's opener.
#pragma once

#include "ui/messagebox.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QTest>
#include <QUrl>
#include <QWidget>

namespace pellomar::test {

// Picks entry `index` from a combo box's drop-down list with the mouse.
inline void PickFromList(QComboBox* combo, int index) {
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    const QModelIndex item = view->model()->index(index, 0);
    view->scrollTo(item);
    const QPoint centre = view->visualRect(item).center();
    // The container filters the release; the press makes it a proper click.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, centre);
}

// A double click as the system delivers it: press, release, double click, release.
inline void DoubleClick(QWidget* widget, QPoint at) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

// Types text key by key into widget; unlike QTest::keyClicks it also types characters
// outside Latin-1.
inline void TypeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        const bool latin = c.unicode() < 0x80;
        const Qt::Key key = latin ? Qt::Key(QChar(c).toUpper().unicode()) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, widget, key, QString(c), Qt::NoModifier);
    }
}

// The plain message boxes currently open over parent, newest last.
inline QList<QMessageBox*> OpenMessages(QWidget* parent) {
    QList<QMessageBox*> open;
    const auto boxes = parent->findChildren<QMessageBox*>(QLatin1StringView(kMessageBoxName));
    for (QMessageBox* box : boxes)
        if (box->isVisible())
            open.append(box);
    return open;
}

// Presses OK on every open box over parent and lets them delete themselves.
inline void DismissMessages(QWidget* parent) {
    for (QMessageBox* box : OpenMessages(parent))
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Catches the addresses given to the desktop's opener instead of starting programs.
class OpenedUrls : public QObject {
    Q_OBJECT
  public:
    OpenedUrls() {
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::setUrlHandler(QLatin1StringView(scheme), this, "Open");
    }
    ~OpenedUrls() override {
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::unsetUrlHandler(QLatin1StringView(scheme));
    }

    QList<QUrl> urls;

  public slots:
    void Open(const QUrl& url) { urls.append(url); }
};

} // namespace pellomar::test

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/messagebox.h"

#include <QApplication>
#include <QMessageBox>

namespace pellomar {

QMessageBox* ShowPlainMessage(QWidget* parent, const QString& text) {
    auto* box = new QMessageBox(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
                                QMessageBox::Ok, parent);
    box->setObjectName(QLatin1StringView(kMessageBoxName));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    return box;
}

} // namespace pellomar

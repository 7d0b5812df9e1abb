// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/chinese.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace pellomar {

QTranslator* InstallQtChinese() {
    // The program is Chinese whatever the desktop's language, so the catalogue is named
    // rather than picked by the system locale.
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_zh_CN"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    return translator;
}

} // namespace pellomar

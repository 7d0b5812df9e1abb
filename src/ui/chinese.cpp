// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/chinese.h"

#include <QCoreApplication>
#include <QFileIconProvider>
#include <QFileInfo>
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

QAbstractFileIconProvider* ChineseFileTypes() {
    class Provider : public QFileIconProvider {
      public:
        QString type(const QFileInfo& info) const override {
            return info.isDir() && !info.isRoot() ? QStringLiteral("文件夹")
                                                  : QFileIconProvider::type(info);
        }
    };
    static Provider provider;
    return &provider;
}

} // namespace pellomar

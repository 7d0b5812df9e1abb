// SPDX-License-Identifier: GPL-3.0-or-later
// Qt's own texts in Simplified Chinese: the file picker and the message boxes are Qt's,
// and would otherwise speak the desktop's language inside a Chinese program.
#pragma once

class QAbstractFileIconProvider;
class QTranslator;

namespace pellomar {

// Loads Qt's Simplified Chinese catalogue from Qt's translations folder and installs it
// into the application. Returns the translator, or none when the catalogue is missing
// (the texts then stay Qt's English).
QTranslator* InstallQtChinese();

// Icons and type names for the file picker. Qt's catalogue has no Chinese for the type of
// a folder ("Folder"); the rest comes from Qt.
QAbstractFileIconProvider* ChineseFileTypes();

} // namespace pellomar

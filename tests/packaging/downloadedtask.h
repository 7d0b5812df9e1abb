// SPDX-License-Identifier: GPL-3.0-or-later
// A task folder as a finished download leaves it: article pages and index pages in code page
// 936, pictures beside the pages, Chinese category names, "\" in the index pages' links.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace pellomar {
class AppState;
}

namespace pellomar::test {

// Fills the state's table and writes the task folder of task "测试博客" into its program
// folder. Returns the task folder.
QString WriteDownloadedTask(AppState& state);

// A small PNG picture of one colour.
QByteArray SolidPng(int width, int height, quint32 rgb);

// The link targets of a page's href and src attributes, as written.
QStringList PageLinks(const QString& html);

} // namespace pellomar::test

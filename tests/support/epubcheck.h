// SPDX-License-Identifier: GPL-3.0-or-later
// Runs epubcheck (Debian package epubcheck, a Java program) on a book.
#pragma once

#include <QString>

namespace pellomar::test {

// The command that runs epubcheck, or empty when it is not installed.
QStringList EpubCheckCommand();

// epubcheck's report on the book; empty when it found no error and no warning.
QString EpubCheckProblems(const QString& epubPath);

} // namespace pellomar::test

// SPDX-License-Identifier: GPL-3.0-or-later
// The HTML Help compiler: Free Pascal's chmcmd, run as a separate process.
//
// chmcmd reads file names as raw bytes and follows only quoted "/" links, so it is never
// handed the task's own project. It gets a project of its own in a temporary folder that
// links to the source folder's entries: the names in UTF-8 as they lie on disk, "/" between
// folders, every file of the source folder listed, and the contents file in code page 936
// under language 0x804, the pair a viewer decodes the contents tree with.
#pragma once

#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <qcoro/qcorotask.h>

namespace pellomar {

struct ChmJob {
    QString sourceFolder; // every file below it goes into the CHM
    QString outputPath;   // replaced only once a new CHM has been made
    QString title;
    QString contents; // the contents file, "/" between folder and page
    QString homePage = QStringLiteral("index.html");
    // A full-text index of ours, whose topic numbers follow the contents file: parents
    // before children, level by level. Empty for a CHM without search.
    QByteArray searchIndex;
    // Given the bytes of each page (.htm, .html), the bytes the compiler gets instead when
    // they differ; null hands every page over as it lies.
    std::function<QByteArray(const QByteArray& page)> pageCopy;
};

struct ChmOutcome {
    bool made = false;
    QString problem; // why not, for the status caption
};

// Called once per file the compiler reports taking in; returning true asks for one turn of
// the event loop before it goes on.
using ChmProgress = std::function<bool()>;

QCoro::Task<ChmOutcome> CompileChm(ChmJob job, ChmProgress progress,
                                   std::chrono::milliseconds timeLimit = std::chrono::minutes(30));

// "chmcmd", or the program named by the environment variable PELLOMAR_CHMCMD.
QString ChmCompilerProgram();

// The files below the folder as the compiler's project names them ("/" between folders),
// sorted; names chmcmd would misread are left out.
QStringList ChmSourceFiles(const QString& folder);

// False for a relative name chmcmd cannot read back from a project line: one that starts
// with ";" (a comment) or a blank, ends with a blank, or holds a control character.
bool CompilerCanTake(const QString& relativePath);

} // namespace pellomar

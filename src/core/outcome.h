// SPDX-License-Identifier: GPL-3.0-or-later
// How a long operation went, for both front ends to read. The captions stay the window's;
// these are the facts behind them.
#pragma once

#include <QString>
#include <QStringList>

namespace pellomar {

struct Outcome {
    // The operation did all it was asked to; false with the reason in `problem`.
    bool ok = false;
    // Discovery and import: rows in the table. Download: rows the table holds.
    int articles = 0;
    // Download: article pages on disk. Text export: pages converted.
    int articlesSaved = 0;
    int articlesFailed = 0;
    int picturesSaved = 0;
    int picturesFailed = 0;
    // What the operation made: the task folder, the CHM, the export folder, the task file.
    QString path;
    // Why it stopped or failed, in the words the window shows.
    QString problem;
    // Further things the user should know: refused rows, failed pictures.
    QStringList notes;

    explicit operator bool() const { return ok; }

    static Outcome Failure(const QString& problem) {
        Outcome outcome;
        outcome.problem = problem;
        return outcome;
    }
};

} // namespace pellomar

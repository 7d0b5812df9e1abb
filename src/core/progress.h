// SPDX-License-Identifier: GPL-3.0-or-later
// How far a long operation has got, as numbers: the command line draws its own progress
// line from these rather than from the window's captions.
#pragma once

namespace pellomar {

struct Progress {
    enum Step {
        Discovery,
        Import,
        Download,
        Pictures,
        Index,
        SearchIndex,
        Chm,
        Text,
        Epub,
        Markdown
    };
    Step step = Discovery;
    // Units of the step done so far and in all (list pages, rows, articles, files); a
    // total of 0 is not known yet.
    int done = 0;
    int total = 0;
    // Download: pictures queued or being fetched.
    int picturesLeft = 0;
    // Download: articles and pictures that failed so far.
    int failed = 0;
};

} // namespace pellomar

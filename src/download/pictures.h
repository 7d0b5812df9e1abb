// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures of one article body: queued for the picture queue and rewritten to the
// local names the queue writes beside the page file.
#pragma once

#include <QString>

namespace pellomar {

class AppState;

// Queues the body's pictures (row CR LF address, at the end of the status list), logs each
// decision, and returns the body with every picture address replaced by its local name.
QString LocalisePictures(AppState& state, QString body, int row);

// The pattern's matches, each followed by CR LF, after a CR LF has been put behind every
// ">" of the subject: a match of "<img .*>" then ends at the first ">".
QString MatchTags(const QString& pattern, const QString& subject);

// A status-list line that is a picture entry (row CR LF address).
inline bool IsPictureEntry(const QString& line) {
    return line.contains(u"\r\n");
}

} // namespace pellomar

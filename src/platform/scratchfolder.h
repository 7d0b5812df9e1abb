// SPDX-License-Identifier: GPL-3.0-or-later
// Working folders of the packers, beside what they make rather than in /tmp: a program
// killed outright leaves them where the next run finds and removes them.
#pragma once

#include <QString>

namespace pellomar {

// The template of a working folder for making `target`, for QTemporaryDir:
// ".NAME.pellomar-PID-XXXXXX" beside it.
QString ScratchTemplate(const QString& target);

// Removes what runs killed while making `target` left beside it: working folders whose
// process no longer runs, and the "NAME.XXXXXX" files of earlier versions (libzip's and
// QSaveFile's) that are older than this process. Nothing of a running process is touched.
void RemoveStaleScratch(const QString& target);

} // namespace pellomar

// SPDX-License-Identifier: GPL-3.0-or-later
// Builds a site with Debian's hugo, as a user of the Markdown export would.
#pragma once

#include <QString>

namespace pellomar::test {

// The hugo program, or empty when it is not installed.
QString HugoProgram();

// Builds the site folder into `destination`; hugo's output when it failed or warned, empty
// when it built cleanly.
QString HugoBuildProblems(const QString& site, const QString& destination);

} // namespace pellomar::test

// SPDX-License-Identifier: GPL-3.0-or-later
// "生成Markdown": the downloaded task as a Hugo site of Markdown pages, for those who go on
// publishing the blog with a static-site generator (Hugo as it stands; Hexo takes the pages).
#pragma once

#include "core/outcome.h"

#include <QString>
#include <qcoro/qcorotask.h>

namespace pellomar {

class AppState;

// Writes the folder program folder + "/" + task name + "MD": hugo.toml, the layouts, and
// content/posts/<link stem>/index.md per article with the pictures it shows. Built beside
// it and put in its place only when whole; the same task gives the same bytes. The outcome
// counts the articles (articlesSaved) and pictures (picturesSaved).
QCoro::Task<Outcome> ExportMarkdown(AppState& state);

} // namespace pellomar

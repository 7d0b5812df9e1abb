// SPDX-License-Identifier: GPL-3.0-or-later
// A Sina article page made into its local page file, pictures saved, in a fresh folder.
#include "core/appstate.h"
#include "core/articletable.h"
#include "download/articlepage.h"
#include "download/downloadsteps.h"
#include "fuzzsupport.h"

#include <QDir>
#include <QTemporaryDir>

using namespace pellomar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::EnsureApplication();
    QTemporaryDir dir;
    AppState state(dir.path());
    state.serviceKind = kSina;
    state.taskName = QStringLiteral("任务");
    state.savePictures = true;
    state.table().AddArticle(QStringLiteral("标题"), QStringLiteral("分类"),
                             QStringLiteral("blog_3d55a9b70100nyl8.html"),
                             QStringLiteral("2011-08-21 10:20"));
    QDir().mkdir(state.Paths().TaskFolder());
    state.table().SetMark(1, kMarkDone);
    ProcessArticlePage(state, DecodeBytes(fuzz::Bytes(data, size), QStringLiteral("UTF-8")), 1,
                       size % 7 == 0);
    return 0;
}

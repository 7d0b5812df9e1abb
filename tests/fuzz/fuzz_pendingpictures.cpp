// SPDX-License-Identifier: GPL-3.0-or-later
// The pending-pictures list beside the task folder, as a killed run or a hand edit left
// it: requeued at the start of a download and settled at its end. Neither may queue or
// keep more pictures than the list names.
#include "core/appstate.h"
#include "core/articletable.h"
#include "core/textfunctions.h"
#include "download/pendingpictures.h"
#include "fuzzsupport.h"
#include "platform/textstream.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace pellomar;

namespace {

// One task for every input: three categories, the task folder made.
AppState& Task() {
    static QTemporaryDir dir;
    static AppState state(dir.path());
    if (state.table().ArticleCount() == 0) {
        state.serviceKind = kSina;
        state.taskName = QStringLiteral("任务");
        state.savePictures = true;
        const QString categories[] = {QStringLiteral("分类"), QStringLiteral("读书/笔记"),
                                      QStringLiteral("全部博文")};
        for (int n = 0; n < 3; ++n)
            state.table().AddArticle(QStringLiteral("标题") + QString::number(n), categories[n],
                                     u"blog_3d55a9b70100nyl" + QString::number(n) + u".html",
                                     QStringLiteral("2011-08-21 10:20"));
        QDir().mkpath(state.Paths().CategoryFolder(categories[0]));
    }
    return state;
}

qsizetype Lines(const QString& path) {
    return ReadTextFile(path, QStringLiteral("UTF-8")).count(kCrLf);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::EnsureApplication();
    AppState& state = Task();
    const QString path = PendingPicturesPath(state);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(fuzz::Bytes(data, size)) != qint64(size))
        return 0;
    file.close();
    const qsizetype listed = Lines(path) + 1;

    state.statusLog().Clear();
    fuzz::Check(RequeuePendingPictures(state) <= listed);
    fuzz::Check(state.statusLog().Count() <= listed);
    SettlePendingPictures(state);
    fuzz::Check(!QFile::exists(path) || Lines(path) <= listed);
    return 0;
}

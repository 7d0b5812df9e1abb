// SPDX-License-Identifier: GPL-3.0-or-later
// An article page of any service made into its local page file, pictures saved, in a fresh
// folder. The first byte picks the service and whether the page came as an error answer;
// the rest is the page in the service's character set. Nothing may be written beside the
// task folder but the log and the pending-pictures list.
#include "core/appstate.h"
#include "core/articletable.h"
#include "download/articlepage.h"
#include "download/downloadlog.h"
#include "download/downloadsteps.h"
#include "download/pendingpictures.h"
#include "fuzzsupport.h"
#include "services/service.h"

#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>
#include <array>

using namespace pellomar;

namespace {

struct Article {
    ServiceKind kind;
    const char16_t* task;
    const char16_t* link;
};

// A row each service's list would give.
const std::array<Article, 5> kArticles = {{
    {kSina, u"任务", u"blog_3d55a9b70100nyl8.html"},
    {kBaidu, u"xiaoyu2008", u"0123456789abcdef01234567.html"},
    {kHexun, u"caijing2008", u"65000000_d.html"},
    {kNetEase, u"wangyi2008", u"1234567820101234567.html"},
    {kSohu, u"souhu2008", u"202840469.html"},
}};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    fuzz::EnsureApplication();
    const Article& article = kArticles[data[0] % kArticles.size()];
    QTemporaryDir dir;
    AppState state(dir.path());
    state.serviceKind = article.kind;
    state.taskName = QString::fromUtf16(article.task);
    state.savePictures = true;
    state.table().AddArticle(QStringLiteral("标题"), QStringLiteral("分类"),
                             QString::fromUtf16(article.link), QStringLiteral("2011-08-21 10:20"));
    QDir().mkdir(state.Paths().TaskFolder());
    state.table().SetMark(1, kMarkDone);
    const QString charset = Profile(article.kind)->Charset;
    ProcessArticlePage(state, DecodeBytes(fuzz::Bytes(data + 1, size - 1), charset), 1,
                       data[0] / kArticles.size() % 7 == 6);
    for (QDirIterator it(dir.path(),
                         QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
         it.hasNext();) {
        const QString path = it.next();
        fuzz::Check(path == state.Paths().TaskFolder() || path == PendingPicturesPath(state) ||
                    it.fileName() == kDownloadLogName);
    }
    return 0;
}

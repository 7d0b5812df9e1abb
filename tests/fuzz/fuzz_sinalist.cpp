// SPDX-License-Identifier: GPL-3.0-or-later
// A Sina first page and list page as the discovery reads them. Every queued list needs a
// count ("<em>(") of at most one full list; the favourites and all-articles lists may read
// a count a category entry also read. So a page never queues more pages than that allows.
#include "core/appstate.h"
#include "core/articletable.h"
#include "core/textfunctions.h"
#include "fuzzsupport.h"
#include "platform/textstream.h"
#include "services/service.h"
#include "services/sinareader.h"

#include <QTemporaryDir>
#include <algorithm>

using namespace pellomar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::EnsureApplication();
    static const Service* sina = FindService(kSina);
    static const int kPagesPerList = (ArticleTable::kMaxPerCategory + 49) / 50;
    QTemporaryDir dir;
    AppState state(dir.path());
    state.serviceKind = kSina;
    state.taskName = QStringLiteral("fuzz");
    state.blogAddress = QStringLiteral("http://blog.sina.com.cn/s/articlelist_1234_0_1.html");

    const QString text =
        sina->sameAddresses(DecodeBytes(fuzz::Bytes(data, size), QStringLiteral("UTF-8")));
    ReadSinaCounts(state, text);
    const qsizetype claims = text.count(QStringLiteral("<em>("));
    fuzz::Check(state.statusLog().Count() <=
                (claims + std::min<qsizetype>(claims, 2)) * kPagesPerList);
    ReadSinaListPage(state, DecodeCharRefs(text));
    return 0;
}

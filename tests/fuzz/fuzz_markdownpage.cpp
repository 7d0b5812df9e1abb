// SPDX-License-Identifier: GPL-3.0-or-later
// An article page as Markdown: whatever the tag soup, the conversion ends in time and its
// text grows no faster than the page (deep quotes and lists once grew with the square).
#include "fuzzsupport.h"
#include "packaging/markdownpage.h"

using namespace pellomar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // References are placed as the export places them: what lies on the disk gets a name
    // in the bundle, what leaves it is dropped.
    const auto local = [](const QString& reference) {
        return IsRemoteReference(reference) ? QString()
                                            : u"p" + QString::number(qHash(reference)) + u".png";
    };
    static const PageReferences references{local, local};
    const QString page = QString::fromUtf8(fuzz::Bytes(data, size));
    const QString markdown = MarkdownBody(page, references);
    // Every character written comes from the page or from a bounded prefix or escape.
    fuzz::Check(markdown.size() <= 64 * page.size() + 1024);
    return 0;
}

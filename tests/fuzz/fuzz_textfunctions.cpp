// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding and the marker cuts on arbitrary bytes. The input is text, start marker, end
// marker and a byte choosing the character set, the skip and a reader's pattern, cut at NULs.
#include "core/textfunctions.h"
#include "fuzzsupport.h"
#include "platform/regex.h"
#include "platform/textstream.h"

#include <array>

using namespace pellomar;

namespace {

// The patterns are the program's own; only the pages they run over come from outside.
const std::array<QString, 6> kPatterns = {
    Quoted(QStringLiteral("<a title=.*target=#_blank# href=.*>.*</a></span>")),
    Quoted(QStringLiteral("<span class=#atc_tm SG_txtc#>.*</span>")),
    Quoted(QStringLiteral("<span comp_title=#.*<em>.*</em># class=#title#>")),
    Quoted(QStringLiteral("class=#text#><a title=#.*# target=#_blank")),
    QStringLiteral("http://blog.sina.com.cn/s/blog_.*.html\">"),
    QStringLiteral("chageEntryPage\\(\\d+\\)"),
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QList<QByteArray> parts = fuzz::Parts(fuzz::Bytes(data, size), 4);
    const uchar choice = parts[3].isEmpty() ? 0 : uchar(parts[3][0]);
    const QString charset = choice & 1 ? QStringLiteral("GB2312") : QStringLiteral("UTF-8");
    const QString text = DecodeCharRefs(DecodeBytes(parts[0], charset));
    const QString start = DecodeBytes(parts[1], charset);
    const QString end = DecodeBytes(parts[2], charset);
    const int skip = int(choice >> 4) - 2;

    const QString cut = CutBetween(text, start, end, skip);
    fuzz::Check(cut.size() <= text.size() + kNotFoundPrefix.size());
    MatchAll(kPatterns[(choice >> 1) % kPatterns.size()], text);
    return 0;
}

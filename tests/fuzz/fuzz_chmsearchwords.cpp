// SPDX-License-Identifier: GPL-3.0-or-later
// The CHM full-text index's words from an article page: its visible text, broken into
// words. Every word is one run of ASCII letters and digits in lower case, or one
// character in code page 936.
#include "fuzzsupport.h"
#include "packaging/chmsearchindex.h"

#include <algorithm>

using namespace pellomar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = PageSearchText(QString::fromUtf8(fuzz::Bytes(data, size)));
    for (const QByteArray& word : SearchWords(text)) {
        fuzz::Check(!word.isEmpty());
        const bool ascii = std::all_of(word.begin(), word.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        });
        fuzz::Check(ascii || (word.size() <= 2 && uchar(word[0]) >= 0x80));
    }
    return 0;
}

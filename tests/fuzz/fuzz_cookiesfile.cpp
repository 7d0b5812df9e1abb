// SPDX-License-Identifier: GPL-3.0-or-later
// A cookies.txt file brought by the user, read at a fixed date.
#include "fuzzsupport.h"
#include "platform/cookiesfile.h"

using namespace pellomar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QDateTime now = QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC);
    const QByteArray text = fuzz::Bytes(data, size);
    const CookiesFile file = ParseCookiesFile(text, now);
    fuzz::Check(file.cookies.size() + file.badLines.size() <= text.count('\n') + 1);
    return 0;
}

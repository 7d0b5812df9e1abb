// SPDX-License-Identifier: GPL-3.0-or-later
// Baidu space's first list page and a list page (code page 936), NUL between them.
#include "listdriver.h"

using namespace pellomar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::DriveListReader(kBaidu, fuzz::Bytes(data, size), QStringLiteral("xiaoyu2008"));
    return 0;
}

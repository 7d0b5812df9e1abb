// SPDX-License-Identifier: GPL-3.0-or-later
// The readers by service. A new service is one reader and one line here.
#include "discovery/listreader.h"

#include "core/appstate.h"
#include "discovery/sinareader.h"

#include <array>

namespace pellomar {

namespace {

using ReaderFactory = std::unique_ptr<ListReader> (*)();

template <typename Reader> std::unique_ptr<ListReader> Make() {
    return std::make_unique<Reader>();
}

// Indexed by ServiceKind; nullptr: no reader yet.
constexpr std::array<ReaderFactory, kServiceCount> kReaders = {
    &Make<SinaReader>, // 0 Sina
    nullptr,           // 1 Baidu
    nullptr,           // 2 Hexun
    nullptr,           // 3 NetEase
    nullptr,           // 4 Sohu
};

} // namespace

std::unique_ptr<ListReader> MakeListReader(ServiceKind kind) {
    if (!IsKnownService(kind) || !kReaders[kind])
        return nullptr;
    return kReaders[kind]();
}

void AddFoundArticle(AppState& state, const QString& title, const QString& category,
                     const QString& link, const QString& date) {
    QString error;
    if (!state.table().AddArticle(title, category, link, date, &error))
        state.statusLog().Add(error);
}

} // namespace pellomar

// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/readerrun.h"

#include "core/appstate.h"
#include "platform/eventloop.h"

namespace pellomar {

RunReplaced::RunReplaced() : std::runtime_error("查找被新的任务取代") {}

ReaderRun::ReaderRun(AppState& state) : m_state(state), m_run(state.discoveryRun) {}

bool ReaderRun::Replaced() const {
    return m_state.discoveryRun != m_run;
}

void ReaderRun::StopIfReplaced() const {
    if (Replaced())
        throw RunReplaced();
}

QCoro::Task<> ReaderRun::Turn() const {
    co_await YieldOnce{};
    StopIfReplaced();
}

} // namespace pellomar

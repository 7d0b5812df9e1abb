// SPDX-License-Identifier: GPL-3.0-or-later
// What the window and the command line both hold: the shared state and the picture queue
// its second timer drives.
#pragma once

#include "core/appstate.h"
#include "download/picturequeue.h"
#include "services/service.h"

namespace pellomar {

class Engine {
  public:
    explicit Engine(const QString& programFolder) : m_state(programFolder), m_pictures(m_state) {
        AddServicePace(m_state.network().pacer());
    }

    AppState& state() { return m_state; }
    PictureQueue& pictures() { return m_pictures; }

  private:
    AppState m_state;
    PictureQueue m_pictures;
};

} // namespace pellomar

// SPDX-License-Identifier: GPL-3.0-or-later
// Chromium takes its proxy once per process, so the browser tests' main makes one loopback
// server that serves every test's pages for the whole run.
#pragma once

#include "support/fixtureserver.h"

namespace pellomar::test {

inline FixtureServer* browserServer = nullptr;

} // namespace pellomar::test

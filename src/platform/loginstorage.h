// SPDX-License-Identifier: GPL-3.0-or-later
// Where the window's login is kept between runs: the browser's login profile, and our copy
// of its cookies, which start-up reads without loading the browser.
#pragma once

#include <QNetworkCookie>
#include <QString>
#include <functional>

namespace pellomar {

class Network;

// AppDataLocation/pellomar-login: readable by the user alone. Beside the per-user program
// folder, not in it: an installed program keeps its tasks there, and a task named like
// this folder would share it.
QString LoginStorageFolder();
// Our copy of the cookies that went to the jar, in that folder.
QString LoginCookiesCopy();
// Brings the login of earlier runs into the jar: the copy's cookies that keep accepts.
void LoadLoginCookies(Network& network, const std::function<bool(const QNetworkCookie&)>& keep);

} // namespace pellomar

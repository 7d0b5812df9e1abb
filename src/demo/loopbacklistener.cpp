// SPDX-License-Identifier: GPL-3.0-or-later
#include "demo/loopbacklistener.h"

#include <QSslSocket>

namespace pellomar {

void LoopbackListener::incomingConnection(qintptr descriptor) {
    if (!m_tlsCapable) {
        QTcpServer::incomingConnection(descriptor);
        return;
    }
    auto* socket = new QSslSocket(this);
    if (socket->setSocketDescriptor(descriptor))
        addPendingConnection(socket);
    else
        delete socket;
}

} // namespace pellomar

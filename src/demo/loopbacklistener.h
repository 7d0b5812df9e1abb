// SPDX-License-Identifier: GPL-3.0-or-later
// The loopback server's listening socket. Once TLS is on it accepts connections as
// QSslSocket, still unencrypted, so that a CONNECT tunnel can turn to TLS on the socket it
// arrived on.
#pragma once

#include <QTcpServer>

namespace pellomar {

class LoopbackListener : public QTcpServer {
  public:
    using QTcpServer::QTcpServer;
    void SetTlsCapable(bool on) { m_tlsCapable = on; }

  protected:
    void incomingConnection(qintptr descriptor) override;

  private:
    bool m_tlsCapable = false;
};

} // namespace pellomar

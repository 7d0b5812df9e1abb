// SPDX-License-Identifier: GPL-3.0-or-later
// https for fixture blogs: the loopback server serves its tunnels as the test identity in
// tests/data/tls, and SSL_CERT_FILE names the test authority that signed it.
#pragma once

#include <QByteArray>

namespace pellomar {
class LoopbackServer;
}

namespace pellomar::test {

inline constexpr char kTestAuthority[] = PELLOMAR_TEST_DATA "/tls/ca.pem";

// Gives the server the test identity, failing the current test when it cannot be read.
bool ServeTls(LoopbackServer& server);

// Sets SSL_CERT_FILE to value for the scope (empty: unsets it), then restores it.
class ScopedCertFileEnv {
  public:
    explicit ScopedCertFileEnv(const QByteArray& value = kTestAuthority);
    ~ScopedCertFileEnv();
    ScopedCertFileEnv(const ScopedCertFileEnv&) = delete;
    ScopedCertFileEnv& operator=(const ScopedCertFileEnv&) = delete;

  private:
    bool m_wasSet;
    QByteArray m_saved;
};

} // namespace pellomar::test

// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/tlsfixture.h"

#include "demo/loopbackserver.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslKey>
#include <gtest/gtest.h>

namespace pellomar::test {

namespace {

QByteArray ReadTlsFile(const char* name) {
    QFile file(QStringLiteral(PELLOMAR_TEST_DATA "/tls/") + QLatin1StringView(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

bool ServeTls(LoopbackServer& server) {
    const QSslCertificate certificate(ReadTlsFile("server.pem"), QSsl::Pem);
    const QSslKey key(ReadTlsFile("server.key"), QSsl::Ec, QSsl::Pem);
    const bool read = !certificate.isNull() && !key.isNull();
    EXPECT_TRUE(read) << "the test identity in tests/data/tls cannot be read";
    if (read)
        server.SetTlsIdentity(certificate, key);
    return read;
}

ScopedCertFileEnv::ScopedCertFileEnv(const QByteArray& value)
    : m_wasSet(qEnvironmentVariableIsSet("SSL_CERT_FILE")), m_saved(qgetenv("SSL_CERT_FILE")) {
    if (value.isEmpty())
        qunsetenv("SSL_CERT_FILE");
    else
        qputenv("SSL_CERT_FILE", value);
}

ScopedCertFileEnv::~ScopedCertFileEnv() {
    if (m_wasSet)
        qputenv("SSL_CERT_FILE", m_saved);
    else
        qunsetenv("SSL_CERT_FILE");
}

} // namespace pellomar::test

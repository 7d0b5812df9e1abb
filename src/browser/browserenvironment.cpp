// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/browserenvironment.h"

#include "platform/network.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QNetworkProxy>
#include <QQuickWindow>
#include <QStringList>
#include <QUrl>
#include <unistd.h>

namespace pellomar {

namespace {

QtMessageHandler g_nextHandler = nullptr;

// What QtWebEngine says of itself at every start, though nothing is wrong.
void DropBrowserChatter(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    const QString line = text.trimmed();
    if (line == u"Sandboxing disabled by user." || line == u"No suitable graphics backend found")
        return;
    g_nextHandler(type, context, text);
}

} // namespace

void PrepareBrowserEnvironment() {
    // Loaded as a plugin, the window's application object exists already and has it set.
    if (!QCoreApplication::instance())
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Our pages are never drawn: without OpenGL QtWebEngine need not look for a context
    // (and warn at length on the offscreen platform when there is none).
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    // Its start-up report would fill the command line's output.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    AppendChromiumFlags({"--disable-background-networking", "--disable-background-timer-throttling",
                         "--disable-renderer-backgrounding"});
    if (qEnvironmentVariableIsEmpty("PELLOMAR_BROWSER_LOG") && !g_nextHandler) {
        // Chromium's own log lines, in this process and its children, only when asked for.
        AppendChromiumFlags({"--log-level=3"});
        g_nextHandler = qInstallMessageHandler(DropBrowserChatter);
    }
}

QByteArrayList ChromiumProxyFlags() {
    QStringList rules;
    for (const QString& scheme : {QStringLiteral("http"), QStringLiteral("https")}) {
        // A host no_proxy names nowhere, so that only the proxy variables decide.
        const QNetworkProxy proxy =
            Network::ProxyFromEnvironment(QUrl(scheme + u"://pellomar.invalid/"));
        if (proxy.type() == QNetworkProxy::HttpProxy)
            rules << scheme + u'=' + proxy.hostName() + u':' + QString::number(proxy.port());
    }
    if (rules.isEmpty())
        return {};
    QByteArrayList flags{"--proxy-server=" + rules.join(u';').toUtf8()};

    QByteArray noProxy = qgetenv("no_proxy");
    if (noProxy.isEmpty())
        noProxy = qgetenv("NO_PROXY");
    QStringList bypass;
    // The engine lets "example.com" cover its subdomains too; Chromium needs both said.
    for (QString entry : QString::fromLocal8Bit(noProxy).split(u',', Qt::SkipEmptyParts)) {
        entry = entry.trimmed();
        if (entry.startsWith(u'.'))
            entry.remove(0, 1);
        if (!entry.isEmpty())
            bypass << entry << u"*." + entry;
    }
    if (!bypass.isEmpty())
        flags << "--proxy-bypass-list=" + bypass.join(u';').toUtf8();
    return flags;
}

void AppendChromiumFlags(const QByteArrayList& flags) {
    QByteArrayList all{qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").trimmed()};
    all.removeAll(QByteArray());
    all += flags;
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", all.join(' '));
}

void UseEnvironmentProxy() {
    static bool chromiumStarted = false;
    if (!chromiumStarted) {
        AppendChromiumFlags(ChromiumProxyFlags());
        chromiumStarted = true;
    }
}

} // namespace pellomar

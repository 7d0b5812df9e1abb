// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/browserplugin.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>

namespace pellomar {

namespace {

const QString kPluginFile = QStringLiteral("pellomar-browser.so");

QString ProgramFolder() {
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    // The command line loads the plugin before it has an application object: the plugin
    // makes it.
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
}

QtMessageHandler g_nextHandler = nullptr;

// QtWebEngine loaded after the application object would have liked it to share OpenGL
// contexts from the start; our pages are drawn in software, which needs none, and the
// window starts without loading OpenGL.
void DropLateLoadWarning(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (!text.startsWith(u"Qt WebEngine seems to be initialized from a plugin."))
        g_nextHandler(type, context, text);
}

} // namespace

QString BrowserPluginPath() {
    const QString named = qEnvironmentVariable("PELLOMAR_BROWSER_PLUGIN");
    if (!named.isEmpty())
        return QFileInfo(named).isFile() ? named : QString();
    const QString folder = ProgramFolder();
    const QString candidates[] = {folder + u'/' + kPluginFile,
                                  folder + u'/' + QStringLiteral(PELLOMAR_PLUGIN_DIR) + u'/' +
                                      kPluginFile};
    for (const QString& candidate : candidates)
        if (QFileInfo(candidate).isFile())
            return QDir::cleanPath(candidate);
    return {};
}

BrowserPlugin* LoadBrowserPlugin(QString* problem) {
    static bool tried = false;
    static BrowserPlugin* plugin = nullptr;
    static QString why;
    if (!tried) {
        tried = true;
        const QString path = BrowserPluginPath();
        if (path.isEmpty()) {
            why = u"没有找到内置浏览器插件" + kPluginFile;
        } else {
            if (qEnvironmentVariableIsEmpty("PELLOMAR_BROWSER_LOG"))
                g_nextHandler = qInstallMessageHandler(DropLateLoadWarning);
            // The library stays loaded once the loader is gone.
            QPluginLoader loader(path);
            plugin = qobject_cast<BrowserPlugin*>(loader.instance());
            if (!plugin)
                why = u"内置浏览器插件加载失败：" + loader.errorString();
        }
    }
    if (problem)
        *problem = why;
    return plugin;
}

} // namespace pellomar

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/appstate.h"

#include "platform/browserplugin.h"
#include "platform/browserview.h"
#include "platform/eventloop.h"
#include "platform/httpclient.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

namespace pellomar {

QStringList HelpLines() {
    return {
        QStringLiteral("第一步：按“新建”新建一个博客下载任务"),
        QStringLiteral("第二步：接着会开始寻找文章，寻找完以后就按“下载”开始下载"),
        QStringLiteral("第三步：下载完成后按“生成CHM”生成CHM") +
            QStringLiteral("或下载完成后按“转TXT”生成TXT"),
        QStringLiteral("注意：系统中必须装有chmcmd（fp-utils软件包），否则不能打包CHM"),
        QStringLiteral("注意：由于博客格式经常更新，如发现下载出错请及时反馈，谢谢！"),
    };
}

AppState::AppState(const QString& programFolder, QObject* parent)
    : QObject(parent), m_programFolder(programFolder) {
    m_indicators.fill(QStringLiteral("○"));
    m_timer1.setInterval(1000);
    m_timer2.setInterval(100);
    connect(&m_timer1, &QTimer::timeout, this, &AppState::OnTimer1);
    connect(&m_timer2, &QTimer::timeout, this, &AppState::OnTimer2);
    connect(&m_network.pacer(), &Pacer::pauseChanged, this, &AppState::ShowCaption);
}

// The request objects go before the network they use, which is a member and would be gone
// by the time QObject deletes its children.
AppState::~AppState() {
    for (HttpClient*& client : m_fetchPool) {
        delete client;
        client = nullptr;
    }
}

QCoro::Task<> AppState::StartUp() {
    // The picture step reads the request objects on every Timer2 tick, so they exist
    // before the timers run and before the first yield.
    for (int slot = 0; slot < kSlots; ++slot)
        m_fetchPool[slot] = new HttpClient(m_network, this);
    m_timer1.start();
    m_timer2.start();

    if (m_browser) {
        co_await StartBrowser();
        if (!m_browser)
            ShowMessage(m_browserProblem);
    }

    m_table.Reset();
    SetButtons(buttons::kAtStartUp);
    for (const QString& line : HelpLines())
        m_statusLog.Add(line);
}

// The wait has a limit: a browser that cannot start must not keep the window from its
// first click. Timer2 runs already and wakes the wait every tick.
QCoro::Task<> AppState::StartBrowser() {
    browserLoaded = false;
    m_browser->SetSilent(true);
    m_browser->Navigate(QStringLiteral("about:blank"));
    const int limitMs = kBrowserStartLimitTicks * m_timer2.interval();
    const QDeadlineTimer deadline(limitMs);
    while (!browserLoaded && !deadline.hasExpired())
        co_await EventPulse::Instance().Next();
    if (browserLoaded && m_browserLoadOk)
        co_return;

    m_browserProblem = browserLoaded
                           ? QStringLiteral("内置浏览器打不开空白页")
                           : QStringLiteral("内置浏览器%1秒内没有打开空白页").arg(limitMs / 1000.0);
    m_browserProblem += QStringLiteral("，搜狐和网易博客不能查找文章");
    SetBrowser(nullptr);
}

QCoro::Task<> AppState::LoadBrowser() {
    // A second run waits for the start the first one began.
    while (m_browserStarting)
        co_await EventPulse::Instance().Next();
    if (m_browser || !m_usePlugin || m_pluginTried)
        co_return;
    m_pluginTried = true;
    QString problem;
    BrowserPlugin* plugin = LoadBrowserPlugin(&problem);
    if (!plugin) {
        m_browserProblem = problem + QStringLiteral("，搜狐和网易博客不能查找文章");
        co_return;
    }
    // QtWebEngine aborts the process under a plain QCoreApplication.
    if (!QCoreApplication::instance() ||
        !QCoreApplication::instance()->inherits("QGuiApplication")) {
        m_browserProblem = QStringLiteral("内置浏览器只能在图形界面的程序里运行");
        co_return;
    }
    const QString caption = m_caption;
    SetCaption(QStringLiteral("正在启动内置浏览器.."));
    m_pluginBrowser = plugin->MakeView();
    SetBrowser(m_pluginBrowser.get());
    m_browserStarting = true;
    co_await StartBrowser();
    m_browserStarting = false;
    if (!m_browser)
        m_pluginBrowser.reset();
    SetCaption(caption);
}

void AppState::SetBrowser(BrowserView* browser) {
    if (m_browser)
        m_browser->disconnect(this);
    m_browser = browser;
    if (m_browser) {
        m_browserProblem.clear();
        connect(m_browser, &BrowserView::documentComplete, this, [this](bool ok) {
            browserLoaded = true;
            m_browserLoadOk = ok;
            EventPulse::Instance().Fire();
        });
    }
}

QString AppState::BrowserProblem() const {
    if (m_browser)
        return {};
    if (!m_browserProblem.isEmpty())
        return m_browserProblem;
    return QStringLiteral("搜狐和网易博客的文章列表要由内置浏览器读取，这个程序没有带内置浏览器"
                          "（要用带 QtWebEngine 构建的版本）");
}

HttpClient* AppState::fetchPool(int slot) const {
    return slot >= 0 && slot < 6 ? m_fetchPool[slot] : nullptr;
}

void AppState::SetCaption(const QString& text) {
    m_caption = text;
    ShowCaption();
}

// While a service keeps us waiting, that is what the caption says: the progress it would
// show stands still meanwhile.
void AppState::ShowCaption() {
    QString shown = m_caption;
    if (const std::optional<Pacer::Pause> pause = m_network.pacer().CurrentPause())
        shown = pause->label + QStringLiteral("限制了访问频率，%1秒后继续").arg(pause->secondsLeft);
    if (shown == m_shown)
        return;
    m_shown = shown;
    emit captionChanged(shown);
}

void AppState::SetButtons(const ButtonStates& states) {
    m_buttons = states;
    emit buttonsChanged();
}

void AppState::SetIndicator(int slot, const QString& text) {
    if (slot < 0 || slot >= kSlots)
        return;
    m_indicators[slot] = text;
    emit indicatorChanged(slot, text);
}

void AppState::SetPerPageText(const QString& text) {
    if (text == m_perPageText)
        return;
    m_perPageText = text;
    emit perPageTextChanged(text);
}

int AppState::PerPage() const {
    bool ok = false;
    const int value = m_perPageText.trimmed().toInt(&ok);
    return ok && value >= 1 && value <= 255 ? value : 20;
}

void AppState::OnTimer1() {
    for (int i = 0; i <= 9; ++i)
        ++slotAge[i];
    if (m_network.pacer().CurrentPause())
        ShowCaption();
    emit timer1Step();
    EventPulse::Instance().Fire();
}

void AppState::OnTimer2() {
    emit timer2Step();
    timerTick = true;
    EventPulse::Instance().Fire();
}

} // namespace pellomar

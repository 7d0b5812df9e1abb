// SPDX-License-Identifier: GPL-3.0-or-later
// The state the whole system shares for the life of the process: the current task, the
// flags and counters the timers and the long operations exchange, the article table, the
// status list and caption, the button states, and the two timers. The window and the
// command line are views over it.
#pragma once

#include "core/articletable.h"
#include "core/filenames.h"
#include "core/progress.h"
#include "core/servicekind.h"
#include "core/statuslog.h"
#include "platform/network.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <array>
#include <memory>
#include <qcoro/qcorotask.h>

namespace pellomar {

class HttpClient;
class BrowserView;
class PictureQueue;

// Which of the six task buttons are on, in the order of AppState::Button.
using ButtonStates = std::array<bool, 6>;

// The button states of each situation. "目录" is on in all of them.
namespace buttons {
inline constexpr ButtonStates kAtStartUp{true, false, false, true, false, true};
inline constexpr ButtonStates kDiscovering{true, false, false, true, false, false};
inline constexpr ButtonStates kDiscovered{true, true, false, true, true, true};
// A download, a CHM, a text export or an import under way.
inline constexpr ButtonStates kBusy{false, false, false, true, false, false};
inline constexpr ButtonStates kDownloaded{false, false, true, true, true, false};
// Some articles failed: they can be asked again at once.
inline constexpr ButtonStates kDownloadedWithFailures{false, true, true, true, true, false};
inline constexpr ButtonStates kChmBuilt{true, false, false, true, false, true};
inline constexpr ButtonStates kImported{true, true, false, true, false, true};
} // namespace buttons

class AppState : public QObject {
    Q_OBJECT
  public:
    static constexpr int kSlots = 5;
    // How long start-up waits for the browser's blank page, in ticks of Timer2 (100 ms):
    // 30 s, time enough for Chromium to start on a slow machine.
    static constexpr int kBrowserStartLimitTicks = 300;
    // The six buttons SetButtons governs, in its argument order. Scoped to the class: the
    // operations behind the buttons carry the same names.
    enum Button {
        NewTask = 0,
        Download = 1,
        MakeChm = 2,
        Folder = 3,
        ExportTask = 4,
        ImportTask = 5
    };

    explicit AppState(const QString& programFolder, QObject* parent = nullptr);
    ~AppState() override;

    // Start-up: request objects, browser, grid, buttons, help lines. Timers run from here.
    QCoro::Task<> StartUp();

    // Current task.
    ServiceKind serviceKind = 0;
    QString taskName;
    QString blogAddress;
    bool savePictures = false;
    // Pictures in the size they were uploaded in, where the service keeps it.
    bool originalPictures = false;

    // Flags and counters shared between timers and waits.
    bool browserLoaded = false;
    bool timerTick = false;
    std::array<qint32, 11> slotAge{};
    std::array<quint8, 11> slotSpinner{};
    // Attempts per row of the current download.
    QHash<int, int> attemptRecord;
    // Why a row of the current download failed, or how its page was saved, when the mark
    // alone does not say.
    QHash<int, QString> rowNotes;
    // The current download replaced titles the list had cut.
    bool titlesChanged = false;
    // The article links discovery has added in this run.
    QSet<QString> seenLinks;
    // Counts discovery runs: a run started while another waits makes the older one stop.
    quint64 discoveryRun = 0;
    // A text export is under way ("转TXT" is outside SetButtons).
    bool textExportRunning = false;
    // Set by the picture queue when it is made; the download resets it.
    PictureQueue* pictureQueue = nullptr;

    ArticleTable& table() { return m_table; }
    const ArticleTable& table() const { return m_table; }
    StatusLog& statusLog() { return m_statusLog; }
    Network& network() { return m_network; }
    HttpClient* fetchPool(int slot) const;
    const QString& programFolder() const { return m_programFolder; }
    // The current task's paths, with its categories named as the table names them.
    TaskPaths Paths() const { return {m_programFolder, taskName, &m_table}; }

    // The browser seam: none until a browser is plugged in; start-up then skips its wait.
    // A browser that does not load the blank page within its limit is unplugged again.
    void SetBrowser(BrowserView* browser);
    // Lets LoadBrowser take the browser from its plugin.
    void UseBrowserPlugin() { m_usePlugin = true; }
    // Makes sure a browser is plugged in, loading the plugin's the first time and waiting
    // for its blank page as start-up does; when none can be, BrowserProblem says why.
    QCoro::Task<> LoadBrowser();
    BrowserView* browser() const { return m_browser; }
    // Why the blogs whose lists are read through the browser cannot be read; empty while
    // a browser is plugged in.
    QString BrowserProblem() const;

    // The status caption (Label2): the operation's, or the pause a service asked for.
    QString Caption() const { return m_shown; }
    void SetCaption(const QString& text);
    // The numbers behind the caption of a long operation.
    void SetProgress(const Progress& progress) { emit progressChanged(progress); }

    void SetButtons(const ButtonStates& states);
    bool ButtonEnabled(Button button) const { return m_buttons[button]; }
    const ButtonStates& Buttons() const { return m_buttons; }

    // The five slot indicators (Label5).
    QString Indicator(int slot) const { return m_indicators.at(slot); }
    void SetIndicator(int slot, const QString& text);

    // The per-page box (Text2): articles per category index page.
    QString PerPageText() const { return m_perPageText; }
    void SetPerPageText(const QString& text);
    // The box read as a number: 1 to 255; anything else counts as the default 20.
    int PerPage() const;

    // A plain message box with an OK button (the command line prints it).
    void ShowMessage(const QString& text) { emit messageShown(text); }

    QTimer& timer1() { return m_timer1; }
    QTimer& timer2() { return m_timer2; }

  signals:
    void captionChanged(const QString& text);
    void progressChanged(const pellomar::Progress& progress);
    void buttonsChanged();
    void indicatorChanged(int slot, const QString& text);
    void perPageTextChanged(const QString& text);
    void messageShown(const QString& text);
    // Timer1: after the slot ages have been advanced.
    void timer1Step();
    // Timer2: the picture-queue step runs here, before TimerTick is set.
    void timer2Step();

  private:
    QCoro::Task<> StartBrowser();
    void ShowCaption();
    void OnTimer1();
    void OnTimer2();

    QString m_programFolder;
    Network m_network;
    ArticleTable m_table;
    StatusLog m_statusLog;
    std::array<HttpClient*, 6> m_fetchPool{};
    BrowserView* m_browser = nullptr;
    std::unique_ptr<BrowserView> m_pluginBrowser;
    bool m_usePlugin = false;
    bool m_pluginTried = false;
    bool m_browserStarting = false;
    bool m_browserLoadOk = false;
    QString m_browserProblem;
    QString m_caption;
    QString m_shown;
    ButtonStates m_buttons{};
    std::array<QString, kSlots> m_indicators;
    QString m_perPageText = QStringLiteral("20");
    QTimer m_timer1;
    QTimer m_timer2;
};

// After a service's label: the run stopped waiting for it, having paused too long in all.
inline const QString kGaveUpWaiting = QStringLiteral("限制访问太久，已放弃等待；");

// The start-up help lines, in order.
QStringList HelpLines();

} // namespace pellomar

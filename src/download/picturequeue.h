// SPDX-License-Identifier: GPL-3.0-or-later
// The picture queue: on every Timer2 tick its five slots time out, save and take pictures
// from the front of the status list.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>

namespace pellomar {

class AppState;
class HttpClient;

class PictureQueue : public QObject {
    Q_OBJECT
  public:
    static constexpr int kTimeoutTicks = 100;

    // Connects itself to the state's Timer2 step.
    explicit PictureQueue(AppState& state, QObject* parent = nullptr);
    ~PictureQueue() override;

    // One step of the queue; runs on every Timer2 tick.
    void Step();
    // No current entry and a tick count of 0 in every slot (a new download run).
    void Reset();
    bool Idle() const;
    // Pictures being fetched now.
    int InFlight() const;

    // Pictures of the current run written, and those given up (by address).
    int Saved() const { return m_saved; }
    const QStringList& Failed() const { return m_failed; }
    // The first picture file that could not be written (path and reason), if any.
    const QString& WriteError() const { return m_writeError; }

  private:
    struct Slot {
        QString entry;
        int ticks = 0;
        // Asking for the full-size picture; the listed size follows if there is none.
        bool original = false;
    };
    // Sends the entry's request; true when it asks for the full-size picture.
    bool Ask(HttpClient& client, const QString& entry, bool original) const;
    AppState& m_state;
    std::array<Slot, 5> m_slots;
    int m_saved = 0;
    QStringList m_failed;
    QString m_writeError;
};

} // namespace pellomar

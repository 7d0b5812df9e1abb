// SPDX-License-Identifier: GPL-3.0-or-later
// A small tmpfs mounted for one test, to see what a full disk or a read-only folder does.
// Mounting needs root; a test that cannot mount skips itself.
#pragma once

#include <QString>
#include <QTemporaryDir>

namespace pellomar::test {

class ScopedTmpfs {
  public:
    ScopedTmpfs(qint64 bytes, bool readOnly);
    ~ScopedTmpfs();
    ScopedTmpfs(const ScopedTmpfs&) = delete;
    ScopedTmpfs& operator=(const ScopedTmpfs&) = delete;

    bool Mounted() const { return m_mounted; }
    QString Path() const { return m_dir.path(); }

  private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

} // namespace pellomar::test

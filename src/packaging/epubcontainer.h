// SPDX-License-Identifier: GPL-3.0-or-later
// The zip container of an EPUB, through libzip: "mimetype" first and stored, every other
// entry deflated. Nothing reaches the target path before Close() has written it all.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>

struct zip;

namespace pellomar {

class EpubContainer {
  public:
    // Starts the container with its "mimetype" entry; Error() says when it could not.
    explicit EpubContainer(const QString& path);
    ~EpubContainer(); // the target stays as it was unless Close() succeeded
    EpubContainer(const EpubContainer&) = delete;
    EpubContainer& operator=(const EpubContainer&) = delete;

    // The entry's bytes are kept until the next Flush().
    bool Add(const QString& name, const QByteArray& bytes);
    // The file is read at the next Flush().
    bool AddFile(const QString& name, const QString& path);
    // Compresses the entries added since the last call into a part of their own, so that
    // Close() only copies: the compressing happens between the caller's turns of the event
    // loop instead of in one stretch at the end.
    bool Flush();
    // Writes the container and puts it in place; false with Error() when it could not.
    bool Close();

    QString Error() const { return m_error; }

  private:
    bool Added(zip* archive, qint64 index, const QString& name, bool store);
    bool Failed(zip* archive, const QString& what);

    QString m_path;
    QTemporaryDir m_parts;
    zip* m_pending = nullptr;
    QList<zip*> m_flushed; // open for reading until Close()
    QList<QByteArray> m_kept;
    QString m_error;
};

} // namespace pellomar

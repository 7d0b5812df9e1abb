// SPDX-License-Identifier: GPL-3.0-or-later
// The zip container of an EPUB, through libzip: "mimetype" first and stored, every other
// entry deflated. Nothing reaches the target path before Close() has written it all.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

struct zip;

namespace pellomar {

class EpubContainer {
  public:
    // Starts the container with its "mimetype" entry; Error() says when it could not.
    explicit EpubContainer(const QString& path);
    ~EpubContainer(); // discards an unclosed container; the target stays as it was
    EpubContainer(const EpubContainer&) = delete;
    EpubContainer& operator=(const EpubContainer&) = delete;

    // The entry's bytes are kept until Close().
    bool Add(const QString& name, const QByteArray& bytes);
    // The file is read at Close().
    bool AddFile(const QString& name, const QString& path);
    // Writes the container and puts it in place; false with Error() when it could not.
    bool Close();

    QString Error() const { return m_error; }

  private:
    bool Added(qint64 index, const QString& name, bool store);
    void Fail(const QString& what);

    zip* m_zip = nullptr;
    QString m_path;
    QList<QByteArray> m_kept;
    QString m_error;
};

} // namespace pellomar

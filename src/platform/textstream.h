// SPDX-License-Identifier: GPL-3.0-or-later
// Bytes to text and back. "GB2312" means what the home platform decodes under that name:
// code page 936 (GBK); decoding goes through GB18030, its superset, as browsers do.
// Every text file the system writes is code page 936 with CR LF line ends, but for the text
// export when the user asks for UTF-8.
#pragma once

#include <QByteArray>
#include <QString>

namespace pellomar {

// The body bytes decoded as a whole in the named character set ("UTF-8" or "GB2312";
// GBK, GB18030 and CP936 are accepted too). Undecodable bytes become the replacement
// character; an unknown name decodes as UTF-8.
QString DecodeBytes(const QByteArray& bytes, const QString& charset);

// The whole file decoded in the named character set; ok is false when it cannot be read.
QString ReadTextFile(const QString& path, const QString& charset, bool* ok = nullptr);

// Text in code page 936; characters it cannot hold become "?".
QByteArray EncodeCp936(const QString& text);
// True when every character of the text survives a round trip through code page 936.
bool FitsCp936(const QString& text);

// How a write went: empty `error` when every byte reached the file.
struct WriteResult {
    QString error; // the path and the system's reason
    bool ok() const { return error.isEmpty(); }
    explicit operator bool() const { return ok(); }
};

// Creates one folder level when it is missing.
WriteResult MakeFolder(const QString& path);
// Creates or overwrites a file whole (written to a temporary name, then renamed); on
// failure the old file stays as it was.
WriteResult WriteFileAtomically(const QString& path, const QByteArray& bytes);
// The text in code page 936, created or overwritten whole.
WriteResult WriteTextFile(const QString& path, const QString& text);
// The text in code page 936, appended (the file is created when missing).
WriteResult AppendTextFile(const QString& path, const QString& text);
// The bytes appended (the file is created when missing).
WriteResult AppendToFile(const QString& path, const QByteArray& bytes);

} // namespace pellomar

// SPDX-License-Identifier: GPL-3.0-or-later
// A CHM's full-text search as HTML Help viewers run it, for checking the index we write.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace pellomar::test {

struct SearchHit {
    bool title = false;
    quint32 topic = 0;
    QList<quint32> locations;
};

// The entries of a word in a "$FIftiMain" file: down the index nodes by the last words of
// their children, then along the chained leaves.
QList<SearchHit> LookUpWord(const QByteArray& index, const QByteArray& word);

// The page a topic opens, from the "#TOPICS", "#URLTBL" and "#URLSTR" files of an unpacked
// CHM (code page 936).
QString TopicPage(const QString& unpackedChm, quint32 topic);

} // namespace pellomar::test

// SPDX-License-Identifier: GPL-3.0-or-later
// The full-text index of a CHM ("$FIftiMain"), which HTML Help viewers search. chmcmd can
// write one only for words of Latin letters inside <body>, so article pages (fragments in
// code page 936) get an index of ours: a B-tree of words, each with the topics it stands in
// and the word positions there.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace pellomar {

// One topic of the CHM (its number in the compiled topic table) and its words in reading
// order, each already in the CHM's code page.
struct SearchTopic {
    quint32 topic = 0;
    QList<QByteArray> titleWords;
    QList<QByteArray> bodyWords;
};

// The words a reader can search for, as the viewer breaks a query: runs of ASCII letters
// and digits (lower-cased), and every other letter or digit on its own, since Chinese text
// has no spaces between words. Each in code page 936; a character it cannot hold is left out.
QList<QByteArray> SearchWords(const QString& text);

// The text of an HTML page a reader sees: scripts, styles and markup left out.
QString PageSearchText(const QString& html);

// The index file for the topics, which must come in increasing topic order; empty when no
// topic has a word.
QByteArray FullTextIndex(const QList<SearchTopic>& topics);

} // namespace pellomar

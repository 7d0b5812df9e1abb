// SPDX-License-Identifier: GPL-3.0-or-later
// The full-text index of a CHM ("$FIftiMain"), which HTML Help viewers search. chmcmd can
// write one only for words of Latin letters inside <body>, so article pages (fragments in
// code page 936) get an index of ours: a B-tree of words, each with the topics it stands in
// and the word positions there.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <functional>
#include <unordered_map>
#include <vector>

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
// The same words one at a time, none kept: a page of 60 MB holds tens of millions.
void ForEachSearchWord(const QString& text, const std::function<void(const QByteArray&)>& take);

// The text of an HTML page a reader sees: scripts, styles and markup left out.
QString PageSearchText(const QString& html);

// The index file for the topics, which must come in increasing topic order; empty when no
// topic has a word.
QByteArray FullTextIndex(const QList<SearchTopic>& topics);

// The index made a word at a time: each word's topics and positions are packed as its
// topic ends, so memory holds the packed lists and one topic's positions, not every word.
class FullTextIndexBuilder {
  public:
    // Topics must come in increasing order; a topic's body and title words each count their
    // positions from 0.
    void Add(quint32 topic, const QByteArray& word, bool title);
    // The index file for `topicCount` topics; empty when no topic had a word.
    QByteArray Finish(quint32 topicCount);

  private:
    struct Word {
        QByteArray packed; // the lists of the topics already ended
        quint32 documents = 0;
        quint32 lastTopic = 0;
        std::vector<quint32> locations; // in the current topic
    };
    struct KeyHash {
        size_t operator()(const QByteArray& key) const { return qHash(key); }
    };
    using Words = std::unordered_map<QByteArray, Word, KeyHash>;

    void EndTopic();

    Words m_words[2]; // body, title
    std::vector<Word*> m_touched;
    quint32 m_topic = 0;
    quint32 m_location[2] = {0, 0};
    quint32 m_total = 0;
    quint32 m_totalBytes = 0;
};

} // namespace pellomar

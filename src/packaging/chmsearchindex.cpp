// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/chmsearchindex.h"

#include <QHash>
#include <QtEndian>
#include <map>
#include <vector>

namespace pellomar {

namespace {

constexpr qsizetype kHeaderSize = 0x400;
constexpr qsizetype kNodeSize = 4096;
constexpr qsizetype kLeafHeaderSize = 8;
constexpr qsizetype kIndexHeaderSize = 2;
// Viewers keep a word in a fixed buffer of this many bytes.
constexpr qsizetype kLongestWord = 99;
// The root sizes of the scale-and-root numbers: document deltas, hit counts, word positions.
constexpr quint8 kDocumentRoot = 1;
constexpr quint8 kCountRoot = 1;
constexpr quint8 kLocationRoot = 4;
constexpr quint32 kCodePage = 936;
constexpr quint32 kLocale = 0x804;

// Words sort by their bytes; a word's body entry comes before its title entry.
using WordKey = std::pair<QByteArray, bool>;

struct WordEntry {
    QByteArray word;
    bool title = false;
    quint32 documents = 0;
    quint32 listOffset = 0;
    quint32 listSize = 0;
};

void PutUInt16(QByteArray& out, qsizetype at, quint16 value) {
    qToLittleEndian(value, out.data() + at);
}

void PutUInt32(QByteArray& out, qsizetype at, quint32 value) {
    qToLittleEndian(value, out.data() + at);
}

void AppendUInt16(QByteArray& out, quint16 value) {
    out.append(char(value & 0xFF)).append(char(value >> 8));
}

void AppendUInt32(QByteArray& out, quint32 value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.append(char((value >> shift) & 0xFF));
}

// Seven bits a byte, lowest first; the high bit says more follow.
void AppendEncInt(QByteArray& out, quint32 value) {
    do {
        quint8 byte = value & 0x7F;
        value >>= 7;
        if (value != 0)
            byte |= 0x80;
        out.append(char(byte));
    } while (value != 0);
}

class BitWriter {
  public:
    explicit BitWriter(QByteArray& out) : m_out(out) {}

    // Scale 2: a value below 2^root is "0" and root bits; a larger one of n bits is n - root
    // ones, a zero, and its n - 1 low bits.
    void ScaleRoot(quint32 value, quint8 root) {
        int bits = 0;
        for (quint32 v = value; v != 0; v >>= 1)
            ++bits;
        if (bits <= root) {
            Bit(false);
            Bits(value, root);
            return;
        }
        for (int i = 0; i < bits - root; ++i)
            Bit(true);
        Bit(false);
        Bits(value, bits - 1);
    }

    // Each document's list starts on a byte of its own.
    void Align() {
        if (m_used > 0)
            m_out.append(char(m_byte));
        m_byte = 0;
        m_used = 0;
    }

  private:
    void Bits(quint32 value, int count) {
        for (int i = count - 1; i >= 0; --i)
            Bit((value >> i) & 1);
    }
    void Bit(bool set) {
        if (set)
            m_byte |= quint8(0x80 >> m_used);
        if (++m_used == 8)
            Align();
    }

    QByteArray& m_out;
    quint8 m_byte = 0;
    int m_used = 0;
};

// One topic's entry in a word's list: the topic, the count, the positions; on whole bytes.
void AppendPosting(QByteArray& out, quint32 topicDelta, const std::vector<quint32>& locations) {
    BitWriter bits(out);
    bits.ScaleRoot(topicDelta, kDocumentRoot);
    bits.ScaleRoot(quint32(locations.size()), kCountRoot);
    quint32 lastLocation = 0;
    for (const quint32 location : locations) {
        bits.ScaleRoot(location - lastLocation, kLocationRoot);
        lastLocation = location;
    }
    bits.Align();
}

qsizetype CommonPrefix(const QByteArray& a, const QByteArray& b) {
    qsizetype n = 0;
    while (n < a.size() && n < b.size() && a[n] == b[n])
        ++n;
    return n;
}

// A word as nodes store it: its length beyond the part it shares with the word before.
QByteArray PackedWord(const QByteArray& word, const QByteArray& previous) {
    const qsizetype shared = word == previous ? word.size() : CommonPrefix(word, previous);
    QByteArray packed;
    packed.append(char(word.size() - shared + 1)).append(char(shared));
    packed.append(word.mid(shared));
    return packed;
}

struct NodeRef {
    QByteArray lastWord;
    quint32 offset;
};

// Fills nodes of kNodeSize with entries; a node's last word goes up to its parent.
class NodeBuilder {
  public:
    NodeBuilder(QByteArray& out, bool leaves) : m_out(out), m_leaves(leaves) {}

    void Add(const QByteArray& word, const QByteArray& tail) {
        QByteArray entry = PackedWord(word, m_lastWord) + tail;
        if (m_node.size() + entry.size() > kNodeSize) {
            Close();
            entry = PackedWord(word, {}) + tail;
        }
        if (m_node.isEmpty())
            m_node = QByteArray(m_leaves ? kLeafHeaderSize : kIndexHeaderSize, '\0');
        m_node += entry;
        m_lastWord = word;
    }

    QList<NodeRef> Finish() {
        Close();
        return m_nodes;
    }

  private:
    void Close() {
        if (m_node.isEmpty())
            return;
        const quint16 free = quint16(kNodeSize - m_node.size());
        m_node.append(QByteArray(free, '\0'));
        PutUInt16(m_node, m_leaves ? 6 : 0, free);
        const quint32 offset = quint32(m_out.size());
        // Leaves are chained: each names the one after it, which starts right behind it.
        if (m_leaves && !m_nodes.isEmpty())
            PutUInt32(m_out, m_nodes.last().offset, offset);
        m_out += m_node;
        m_nodes.append({m_lastWord, offset});
        m_node.clear();
        m_lastWord.clear();
    }

    QByteArray& m_out;
    bool m_leaves;
    QByteArray m_node;
    QByteArray m_lastWord;
    QList<NodeRef> m_nodes;
};

struct Totals {
    quint32 words = 0;
    quint32 wordBytes = 0;
    quint32 distinctWords = 0;
    quint32 distinctWordBytes = 0;
    quint32 longest = 0;
};

} // namespace

void FullTextIndexBuilder::Add(quint32 topic, const QByteArray& word, bool title) {
    if (topic != m_topic) {
        EndTopic();
        m_topic = topic;
    }
    quint32& location = m_location[title ? 1 : 0];
    if (word.isEmpty() || word.size() > kLongestWord) {
        return;
    }
    Word& entry = m_words[title ? 1 : 0][word];
    if (entry.locations.empty())
        m_touched.push_back(&entry);
    entry.locations.push_back(location++);
    ++m_total;
    m_totalBytes += quint32(word.size());
}

void FullTextIndexBuilder::EndTopic() {
    for (Word* entry : m_touched) {
        AppendPosting(entry->packed, m_topic - entry->lastTopic, entry->locations);
        entry->lastTopic = m_topic;
        ++entry->documents;
        entry->locations = {};
    }
    m_touched.clear();
    m_location[0] = m_location[1] = 0;
}

QByteArray FullTextIndex(const QList<SearchTopic>& topics) {
    FullTextIndexBuilder builder;
    for (const SearchTopic& topic : topics) {
        for (const QByteArray& word : topic.bodyWords)
            builder.Add(topic.topic, word, false);
        for (const QByteArray& word : topic.titleWords)
            builder.Add(topic.topic, word, true);
    }
    return builder.Finish(quint32(topics.size()));
}

QByteArray FullTextIndexBuilder::Finish(quint32 topicCount) {
    EndTopic();
    Totals totals;
    totals.words = m_total;
    totals.wordBytes = m_totalBytes;
    // Sorted once at the end: by the word's bytes, a body entry before a title entry.
    std::map<WordKey, Word*> words;
    for (const bool title : {false, true})
        for (auto& [word, entry] : m_words[title ? 1 : 0])
            words.emplace(WordKey{word, title}, &entry);
    if (words.empty())
        return {};

    QByteArray out(kHeaderSize, '\0');
    std::vector<WordEntry> entries;
    entries.reserve(words.size());
    QByteArray previous;
    for (auto& [key, word] : words) {
        WordEntry entry{key.first, key.second, word->documents, quint32(out.size()),
                        quint32(word->packed.size())};
        out += word->packed;
        word->packed = {};
        entries.push_back(entry);
        if (key.first != previous) {
            ++totals.distinctWords;
            totals.distinctWordBytes += quint32(key.first.size());
            totals.longest = std::max(totals.longest, quint32(key.first.size()));
            previous = key.first;
        }
    }

    NodeBuilder leaves(out, true);
    for (const WordEntry& entry : entries) {
        QByteArray tail;
        tail.append(char(entry.title ? 1 : 0));
        AppendEncInt(tail, entry.documents);
        AppendUInt32(tail, entry.listOffset);
        AppendUInt16(tail, 0);
        AppendEncInt(tail, entry.listSize);
        leaves.Add(entry.word, tail);
    }
    QList<NodeRef> level = leaves.Finish();
    const quint32 leafCount = quint32(level.size());
    const quint16 lastLeafFree =
        qFromLittleEndian<quint16>(out.constData() + level.last().offset + 6);
    quint16 depth = 1;
    while (level.size() > 1) {
        NodeBuilder parents(out, false);
        for (const NodeRef& child : level) {
            QByteArray tail;
            AppendUInt32(tail, child.offset);
            AppendUInt16(tail, 0);
            parents.Add(child.lastWord, tail);
        }
        level = parents.Finish();
        ++depth;
    }
    const quint32 root = level.first().offset;

    out[2] = char(0x28);
    PutUInt32(out, 0x04, topicCount);
    PutUInt32(out, 0x08, root);
    PutUInt32(out, 0x10, leafCount);
    PutUInt32(out, 0x14, root);
    PutUInt16(out, 0x18, depth);
    PutUInt32(out, 0x1A, 7);
    const quint8 roots[] = {2, kDocumentRoot, 2, kCountRoot, 2, kLocationRoot};
    for (int i = 0; i < 6; ++i)
        out[0x1E + i] = char(roots[i]);
    PutUInt32(out, 0x2E, kNodeSize);
    PutUInt32(out, 0x36, 1);
    PutUInt32(out, 0x3A, 5);
    PutUInt32(out, 0x3E, totals.longest);
    PutUInt32(out, 0x42, totals.words);
    PutUInt32(out, 0x46, totals.distinctWords);
    PutUInt32(out, 0x4A, totals.wordBytes);
    PutUInt32(out, 0x52, totals.distinctWordBytes);
    PutUInt32(out, 0x56, lastLeafFree);
    PutUInt32(out, 0x5E, topicCount - 1);
    PutUInt32(out, 0x7A, kCodePage);
    PutUInt32(out, 0x7E, kLocale);
    return out;
}

} // namespace pellomar

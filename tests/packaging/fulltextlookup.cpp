// SPDX-License-Identifier: GPL-3.0-or-later
#include "fulltextlookup.h"

#include "platform/textstream.h"

#include <QFile>
#include <QtEndian>

namespace pellomar::test {

namespace {

quint16 U16(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint16>(b.constData() + at);
}
quint32 U32(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}

quint32 EncInt(const QByteArray& b, qsizetype& at) {
    quint32 value = 0;
    for (int shift = 0;; shift += 7) {
        const quint8 byte = quint8(b[at++]);
        value |= quint32(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0)
            return value;
    }
}

class BitReader {
  public:
    BitReader(const QByteArray& b, qsizetype at) : m_bytes(b), m_bit(at * 8) {}
    quint32 ScaleRoot(int root) {
        int ones = 0;
        while (Bit())
            ++ones;
        const int bits = root + (ones > 0 ? ones - 1 : 0);
        quint32 value = 0;
        for (int i = 0; i < bits; ++i)
            value = (value << 1) | Bit();
        return ones > 0 ? value | (1u << bits) : value;
    }
    void Align() { m_bit = (m_bit + 7) / 8 * 8; }

  private:
    quint32 Bit() {
        const quint8 byte = quint8(m_bytes[m_bit / 8]);
        return (byte >> (7 - m_bit++ % 8)) & 1;
    }
    const QByteArray& m_bytes;
    qsizetype m_bit;
};

QByteArray Word(const QByteArray& node, qsizetype& at, const QByteArray& previous) {
    const int length = quint8(node[at]) - 1;
    const int shared = quint8(node[at + 1]);
    const QByteArray word = previous.left(shared) + node.mid(at + 2, length);
    at += 2 + length;
    return word;
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

QList<SearchHit> LookUpWord(const QByteArray& index, const QByteArray& word) {
    const quint32 nodeSize = U32(index, 0x2E);
    const int roots[] = {index[0x1F], index[0x21], index[0x23]};
    quint32 offset = U32(index, 0x14);
    for (int level = U16(index, 0x18); level > 1; --level) {
        const QByteArray node = index.mid(offset, nodeSize);
        const qsizetype end = nodeSize - U16(node, 0);
        QByteArray last;
        qsizetype at = 2;
        bool found = false;
        while (at < end && !found) {
            last = Word(node, at, last);
            found = word <= last;
            if (found)
                offset = U32(node, at);
            at += 6;
        }
        if (!found)
            return {};
    }
    QList<SearchHit> hits;
    for (; offset != 0; offset = U32(index, offset)) {
        const QByteArray node = index.mid(offset, nodeSize);
        const qsizetype end = nodeSize - U16(node, 6);
        QByteArray last;
        for (qsizetype at = 8; at < end;) {
            last = Word(node, at, last);
            const bool title = node[at++] != 0;
            const quint32 documents = EncInt(node, at);
            const quint32 list = U32(node, at);
            at += 6;
            EncInt(node, at);
            if (last > word)
                return hits;
            if (last != word)
                continue;
            BitReader bits(index, list);
            quint32 topic = 0;
            for (quint32 d = 0; d < documents; ++d) {
                SearchHit hit{title, topic += bits.ScaleRoot(roots[0]), {}};
                quint32 location = 0;
                for (quint32 n = bits.ScaleRoot(roots[1]); n > 0; --n)
                    hit.locations << (location += bits.ScaleRoot(roots[2]));
                bits.Align();
                hits << hit;
            }
        }
    }
    return hits;
}

QString TopicPage(const QString& unpackedChm, quint32 topic) {
    const QByteArray topics = ReadFile(unpackedChm + QStringLiteral("/#TOPICS"));
    const QByteArray table = ReadFile(unpackedChm + QStringLiteral("/#URLTBL"));
    const QByteArray strings = ReadFile(unpackedChm + QStringLiteral("/#URLSTR"));
    if (topics.size() < (topic + 1) * 16)
        return {};
    const quint32 entry = U32(topics, topic * 16 + 8);
    const quint32 string = U32(table, entry + 8) + 8;
    return DecodeBytes(strings.mid(string, strings.indexOf('\0', string) - string),
                       QStringLiteral("GB2312"));
}

} // namespace pellomar::test

#include "SmfFraming.h"

namespace
{

using Bytes = const unsigned char *;

quint32 be32(Bytes p)
{
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | p[3];
}

// A variable-length number of at most four bytes, as libsmf reads it; false
// when it runs past `end`.
bool number(Bytes &p, Bytes end, qint64 &value)
{
    value = 0;
    for (int digits = 1; digits <= 4; ++digits) {
        if (p >= end)
            return false;
        value = (value << 7) | (*p & 0x7F);
        if (!(*p++ & 0x80))
            return true;
    }
    return false;
}

// One track's events up to its end-of-track event, inside [p, end).
// Stricter than the format: running status only for channel messages, no
// escaped or system messages, data bytes below 0x80; libsmf trips its own
// assertions on several of those.
bool walkTrack(Bytes p, Bytes end, qsizetype &events)
{
    int last = 0;
    qint64 time = 0;
    while (p < end) {
        qint64 delta = 0;
        if (!number(p, end, delta) || p >= end)
            return false;
        time += delta;
        if (time > (1 << 28))
            return false;
        int status = last;
        if (*p & 0x80)
            status = *p++;
        else if (last < 0x80 || last > 0xEF)
            return false;
        ++events;
        const qsizetype left = end - p;
        if (status == 0xFF) {
            // Type and a one-byte length, as libsmf reads it.
            if (left < 2 || 2 + qsizetype(p[1]) > left)
                return false;
            const int type = p[0], length = p[1];
            if ((type == 0x51 && length < 3) || (type == 0x58 && length < 4))
                return false;
            if (type == 0x2F)
                return true;
            p += 2 + length;
        } else if (status == 0xF0) {
            // A length, then that many bytes, with room to spare after them.
            qint64 length = 0;
            Bytes q = p;
            if (left < 3 || !number(q, end, length) || (q - p) + length + 1 >= left + 1)
                return false;
            p = q + length;
        } else if (status >= 0xF0) {
            return false;
        } else {
            const int data = (status & 0xE0) == 0xC0 ? 1 : 2;
            if (left < data || (p[0] & 0x80) || (data == 2 && (p[1] & 0x80)))
                return false;
            p += data;
        }
        last = status;
    }
    return false;
}

} // namespace

namespace SmfFraming
{

bool safeForLibsmf(QByteArrayView bytes, qsizetype &events)
{
    events = 0;
    const auto *data = reinterpret_cast<Bytes>(bytes.data());
    const qsizetype size = bytes.size();
    if (size < 14 || !bytes.startsWith("MThd") || be32(data + 4) != 6)
        return false;
    const int format = (data[8] << 8) | data[9];
    const int tracks = (data[10] << 8) | data[11];
    if (format > 1 || tracks < 1 || (data[12] & 0x80) || ((data[12] << 8) | data[13]) == 0)
        return false;
    qsizetype at = 14;
    for (int t = 0; t < tracks; ++t) {
        if (size - at < 8)
            return false;
        const quint32 length = be32(data + at + 4);
        if (length > quint64(size - at - 8))
            return false;
        const Bytes body = data + at + 8;
        if (bytes.sliced(at, 4) == QByteArrayView("MTrk") &&
            !walkTrack(body, body + length, events))
            return false;
        at += 8 + qsizetype(length);
    }
    return true;
}

} // namespace SmfFraming

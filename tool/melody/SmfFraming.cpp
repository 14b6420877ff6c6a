#include "SmfFraming.h"

#include <QVarLengthArray>

namespace
{

using Bytes = const unsigned char *;

quint32 be32(Bytes p)
{
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | p[3];
}

bool isStatus(unsigned char b)
{
    return b & 0x80;
}

bool isRealtime(unsigned char b)
{
    return b >= 0xF8 && b <= 0xFE;
}

// libsmf's length of a message from its status and the bytes after it
// (`n` of them); -1 where libsmf gives up or trips an assertion.
int messageLength(unsigned char status, Bytes next, qsizetype n)
{
    if (n <= 0)
        return -1;
    if (status == 0xFF)
        return n < 2 ? -1 : next[1] + 3;
    if (status == 0xF0) {
        if (n < 2)
            return -1;
        // Up to the first status byte, which must end the SysEx.
        for (qsizetype i = 0; i < n; ++i)
            if (isStatus(next[i]))
                return next[i] == 0xF7 ? int(i) + 2 : -1;
        return -1;
    }
    switch (status & 0xF0) {
    case 0x80:
    case 0x90:
    case 0xA0:
    case 0xB0:
    case 0xE0:
        return 3;
    case 0xC0:
    case 0xD0:
        return 2;
    default:
        // Other system messages: one or two bytes, which libsmf then
        // asserts on or cannot place.
        return status == 0xF2 ? 3 : -1;
    }
}

// One track's events up to its end-of-track event, inside [p, end).
bool walkTrack(Bytes p, Bytes end, qsizetype &events)
{
    int last = 0;
    qint64 time = 0;
    QVarLengthArray<unsigned char, 64> message;
    while (p < end) {
        qint64 delta = 0;
        int digits = 0;
        do {
            if (p >= end || ++digits > 4)
                return false;
            delta = (delta << 7) | (*p & 0x7F);
        } while (*p++ & 0x80);
        time += delta;
        if (p >= end || time > (1 << 28))
            return false;
        int status = last;
        if (isStatus(*p))
            status = *p++;
        ++events;
        if (!isStatus(status))
            return false;
        const int length = messageLength(status, p, end - p);
        if (length < 2)
            return false;
        message.resize(1);
        message[0] = status;
        // libsmf lifts real-time bytes out of a message as it copies it.
        for (int i = 1; i < length; ++i) {
            if (p >= end)
                return false;
            if (isRealtime(*p) && ++p >= end)
                return false;
            message.append(*p++);
        }
        // What libsmf checks of each event it made, by assertion.
        if (messageLength(status, message.data() + 1, message.size() - 1) != length)
            return false;
        if (status == 0xFF) {
            // Tempo and time signature are read at fixed places.
            if ((message[1] == 0x51 && length < 6) || (message[1] == 0x58 && length < 7))
                return false;
            if (message[1] == 0x2F)
                return true;
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

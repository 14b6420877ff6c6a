#pragma once

#include <QByteArrayView>

// Walks the chunks and events of a Standard MIDI File the way libsmf's
// loader does, without keeping anything. libsmf stops the whole process on
// some damaged files (its assertions are compiled in) and reads past the
// end of others; only files that pass this walk are handed to it.
namespace SmfFraming
{
// `events` is set to the number of events in the file.
bool safeForLibsmf(QByteArrayView bytes, qsizetype &events);
} // namespace SmfFraming

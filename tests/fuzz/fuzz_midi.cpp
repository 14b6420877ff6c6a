// Feeds arbitrary bytes to the MIDI reader (libsmf behind a framing walk).
// Whatever the bytes, reading ends with a melody or a message; a melody
// read has notes, full measures, and comes back the same from the score
// written of it.
#include "MelodyFuzzCheck.h"
#include "MidiReader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    MidiReader reader;
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (!reader.read(bytes, 1 + (size % 3 == 0)))
        return reader.error().isEmpty() ? (std::abort(), 0) : 0;
    MelodyFuzzCheck::check(reader.melody(), true);
    return 0;
}

// Feeds arbitrary bytes to the MusicXML reader (plain or zipped). Whatever
// the bytes, reading ends with a melody or a message; a melody read has
// notes and comes back the same from the score written of it.
#include "MelodyFuzzCheck.h"
#include "MusicXmlReader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    MusicXmlReader reader;
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (!reader.read(bytes, 1))
        return reader.error().isEmpty() ? (std::abort(), 0) : 0;
    MelodyFuzzCheck::check(reader.melody(), false);
    return 0;
}

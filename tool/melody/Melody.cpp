#include "Melody.h"

namespace
{

constexpr int kSemitones[7] = {9, 11, 0, 2, 4, 5, 7}; // A..G from C

} // namespace

int Pitch::midi() const
{
    const int base = (step >= 'A' && step <= 'G') ? kSemitones[step - 'A'] : 0;
    return (octave + 1) * 12 + base + alter;
}

Pitch Pitch::fromMidi(int number, int fifths)
{
    static const char sharpSteps[12] = {'C', 'C', 'D', 'D', 'E', 'F', 'F', 'G', 'G', 'A', 'A', 'B'};
    static const char flatSteps[12] = {'C', 'D', 'D', 'E', 'E', 'F', 'G', 'G', 'A', 'A', 'B', 'B'};
    static const bool black[12] = {false, true,  false, true,  false, false,
                                   true,  false, true,  false, true,  false};
    const int pc = ((number % 12) + 12) % 12;
    Pitch p;
    p.octave = number / 12 - 1;
    if (!black[pc]) {
        p.step = sharpSteps[pc];
    } else if (fifths < 0) {
        p.step = flatSteps[pc];
        p.alter = -1;
    } else {
        p.step = sharpSteps[pc];
        p.alter = 1;
    }
    return p;
}

QList<QList<Melody::Place>> Melody::phrases() const
{
    QList<QList<Place>> result;
    QList<Place> current;
    std::optional<int> tiedFrom; // the pitch a tie carries on to the next note
    for (qsizetype m = 0; m < measures.size(); ++m) {
        const QList<MelodyEvent> &events = measures[m].events;
        for (qsizetype e = 0; e < events.size(); ++e) {
            const MelodyEvent &ev = events[e];
            if (!ev.pitch) {
                if (!current.isEmpty())
                    result.append(std::exchange(current, {}));
                tiedFrom.reset();
                continue;
            }
            const int midi = ev.pitch->midi();
            if (!tiedFrom || *tiedFrom != midi)
                current.append(Place{m, e});
            tiedFrom = ev.tieToNext ? std::optional<int>(midi) : std::nullopt;
        }
    }
    if (!current.isEmpty())
        result.append(current);
    return result;
}

QList<MelodyEvent> Melody::written(qint64 duration, int divisions)
{
    // Whole down to 128th, each with its dotted value before it.
    static const char *const types[] = {"whole", "half", "quarter", "eighth",
                                        "16th",  "32nd", "64th",    "128th"};
    QList<MelodyEvent> pieces;
    while (duration > 0) {
        MelodyEvent piece;
        for (int i = 0; i < 8 && piece.duration == 0; ++i) {
            // The value of types[i] is 4 * divisions / 2^i quarter units.
            const qint64 scaled = qint64(divisions) * 4;
            if (scaled % (qint64(1) << i) != 0)
                break;
            const qint64 plain = scaled >> i;
            const bool dottable = plain % 2 == 0;
            const qint64 dotted = dottable ? plain + plain / 2 : 0;
            if (dotted > 0 && dotted <= duration) {
                piece.duration = dotted;
                piece.dots = 1;
            } else if (plain <= duration) {
                piece.duration = plain;
            }
            if (piece.duration > 0)
                piece.type = QString::fromLatin1(types[i]);
        }
        if (piece.duration == 0) // finer than any value: one untyped piece
            piece.duration = duration;
        duration -= piece.duration;
        pieces.append(piece);
    }
    return pieces;
}

qsizetype Melody::noteCount() const
{
    qsizetype n = 0;
    for (const QList<Place> &p : phrases())
        n += p.size();
    return n;
}

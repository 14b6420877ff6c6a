#include "MelodySong.h"

#include "MoraSyllables.h"

namespace
{

bool sung(const QString &line)
{
    return std::any_of(line.cbegin(), line.cend(), [](QChar c) { return !c.isSpace(); });
}

} // namespace

MelodySong::Result MelodySong::write(SongWriter &writer, const QList<qsizetype> &phrases,
                                     std::optional<qsizetype> frame)
{
    Result r;
    qsizetype next = 0;
    bool newSong = true;
    while (next < phrases.size()) {
        const qsizetype first = next;
        const QString filling = writer.fill(newSong, frame, [&phrases, first](qsizetype lines) {
            QList<int> targets;
            for (qsizetype i = first; i < first + lines; ++i)
                targets.append(i < phrases.size() ? int(phrases[i]) : 0);
            return targets;
        });
        newSong = false;
        const QStringList lines = filling.split(QStringLiteral("\r\n"));
        for (qsizetype i = 0; i < lines.size() && next < phrases.size(); ++i) {
            if (i > 0)
                r.text += QStringLiteral("\r\n");
            const QString &line = lines[i];
            r.text += line;
            if (!sung(line))
                continue;
            const QStringList syllables = MoraSyllables::split(writer.reading(line));
            const qsizetype notes = phrases[next];
            const qsizetype morae = syllables.size();
            if (morae < notes)
                r.notes.append(QStringLiteral("%1行目「%2」: 音符 %3 に %4 拍しかないので、最後の "
                                              "%5 音は前の音をのばします")
                                   .arg(next + 1)
                                   .arg(line.trimmed())
                                   .arg(notes)
                                   .arg(morae)
                                   .arg(notes - morae));
            else if (morae > notes)
                r.notes.append(QStringLiteral("%1行目「%2」: 音符 %3 に %4 拍あるので、最後の音で "
                                              "%5 拍を歌います")
                                   .arg(next + 1)
                                   .arg(line.trimmed())
                                   .arg(notes)
                                   .arg(morae)
                                   .arg(morae - notes + 1));
            r.syllables.append(syllables);
            ++next;
        }
        // A frame without a line to sing would never reach the end.
        if (next == first)
            break;
    }
    if (!r.text.endsWith(QStringLiteral("\r\n")))
        r.text += QStringLiteral("\r\n");
    return r;
}

#include "MelodySong.h"

#include "MoraSyllables.h"

MelodySong::Result MelodySong::write(SongWriter &writer, const QList<qsizetype> &phrases,
                                     std::optional<qsizetype> frame)
{
    Result r;
    qsizetype next = 0;
    bool newSong = true;
    while (next < phrases.size()) {
        const qsizetype first = next;
        const SongWriter::Filling filling =
            writer.fill(newSong, frame, [&phrases, first](qsizetype lines) {
                QList<int> targets;
                for (qsizetype i = first; i < first + lines; ++i)
                    // Lines past the last phrase are not sung; no line is
                    // asked for more morae than a frame line may ask for.
                    targets.append(i < phrases.size() ? int(std::min<qsizetype>(phrases[i], 99))
                                                      : 0);
                return targets;
            });
        newSong = false;
        const QString crLf = QStringLiteral("\r\n");
        const QStringList lines = filling.text.split(crLf);
        QStringList sounds = filling.sound.split(crLf);
        // Text and sound part only where a seam made a tag in one of them:
        // then the letters stand for their sound.
        if (sounds.size() != lines.size())
            sounds = lines;
        for (qsizetype i = 0; i < lines.size() && next < phrases.size(); ++i) {
            if (i > 0) {
                r.song.text += crLf;
                r.song.sound += crLf;
            }
            const QString &line = lines[i];
            r.song.text += line;
            r.song.sound += sounds[i];
            if (line.isEmpty())
                continue;
            const QStringList syllables = MoraSyllables::split(sounds[i]);
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
    if (!r.song.text.endsWith(QStringLiteral("\r\n"))) {
        r.song.text += QStringLiteral("\r\n");
        r.song.sound += QStringLiteral("\r\n");
    }
    return r;
}

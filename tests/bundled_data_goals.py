#!/usr/bin/env python3
"""bundled_data_goals.py [DATA_DIR [LYRMAK_TOOL]]: prints the bundled lyric data's figures and
each goal it misses (exit 1 then). Readings come from `mecab` as the program
reads them (pronunciation, else reading; kana pass through; `'=` lines win);
`kakasi -JH` is the second opinion that flags readings to look at. With
LYRMAK_TOOL, every frame is also filled by the program itself and its lines
are counted against their targets."""
import concurrent.futures
import itertools
import os
import re
import subprocess
import sys
from collections import Counter, defaultdict

LISTS = ["Gi", "Ad", "Vi", "Vt", "No"]  # the order in which a frame is filled
TAG = re.compile(r"(Gi|Ad|Vi|Vt|No)([1-9]?)")
VERB_END = re.compile(r"(Vi|Vt)[1-9]?$")
TE_IRU_END = re.compile(r"(?:(?:Vi|Vt)[1-9]?|[てで])(?:いる|いた)$")
METER_LINE = re.compile(r"'!拍 ([1-9][0-9]?)$")
SONG_METER = re.compile(r"拍 ([0-9/ -]+)$")
TRAILING_SPACE = " \t\u3000"
REFRAIN_SWITCH = "'!くりかえし"

SONGS_FILLED = 9  # per frame: over 2,000 songs in all
METER_FILLING = 0.5  # below this share on target the tool fills without meters
SONG_LINES = (12, 24)
MIN_SONGS = 160
MIN_TIED = 40
MIN_PIECE_LINES = 4
MAX_PIECES = 80
TARGETS = (5, 16)
MAX_TE_IRU = 0.10
MAX_FRAMES_PER_LINE = 2
MIN_WORDS = 250
MAX_CHAINED = 0.10
MAX_CHAIN_MORAE = 4
MORAE = (2, 6)
HONORIFICS = ("さん", "さま", "様", "ちゃん", "くん", "君", "殿")
BLAND = {"大きな", "小さな", "大きい", "小さい", "長い", "短い", "高い", "低い", "広い",
         "狭い", "太い", "細い", "多い", "少ない", "すごい", "ひどい", "普通の"}
SMALL_KANA = set("ぁぃぅぇぉゃゅょゎァィゥェォャュョヮ")

misses = []
miss = misses.append


def read_lines(path):
    """The file's lines as the program reads them: CP932, split at CR LF."""
    name = os.path.basename(path)
    try:
        with open(path, "rb") as f:
            raw = f.read()
    except OSError as e:
        miss(f"{name}：読めません（{e.strerror}）")
        return []
    try:
        text = raw.decode("cp932")
    except UnicodeDecodeError as e:
        miss(f"{name}：CP932 として読めないバイトがあります（{e.start} バイト目）")
        text = raw.decode("cp932", errors="replace")
    lines = text.split("\r\n")
    if lines and lines[-1] == "":
        lines.pop()  # the final CR LF ends the last line, it starts none
    if any("\r" in line or "\n" in line for line in lines):
        miss(f"{name}：CR LF 以外の改行があります")
    return lines


def read_words(path):
    """[word, given reading or None] for each word line."""
    words = []
    for line in read_lines(path):
        if line.startswith("'="):
            if words:
                words[-1][1] = line[2:]
        elif not line.startswith("'"):
            words.append([line, None])
    return words


def read_frames(path):
    """Frames as {"notes": comments before it, "lines": [[text, target, reading]]}."""
    frames, notes, lines, target = [], [], [], None
    switched = False
    for line in read_lines(path):
        if line.startswith("'"):
            switched = switched or line == REFRAIN_SWITCH
            meter = METER_LINE.match(line)
            if meter:
                target = int(meter.group(1))
            elif line.startswith("'=") and lines:
                lines[-1][2] = line[2:]
            elif not lines:
                notes.append(line)
            continue
        if line == "@":
            frames.append({"notes": notes, "lines": lines})
            notes, lines = [], []
        else:
            lines.append([line, target, None])
        target = None
    if lines:
        miss("Kasi.dat：最後のわくが「@」の行で終わっていません")
    if not switched:
        miss(f"Kasi.dat：「{REFRAIN_SWITCH}」の行がないので、くりかえしのタグが働きません")
    return frames


def morae(reading):
    """Morae of a kana reading, None where a letter or digit has no reading."""
    n = 0
    for c in reading:
        if c in SMALL_KANA:
            continue
        if "\u3041" <= c <= "\u3096" or "\u30a1" <= c <= "\u30fa" or c in "ーゝゞヽヾ":
            n += 1
        elif c.isalnum():
            return None
    return n


class Reader:
    """Readings of fixed text (tags split off), one `mecab` run for all of it."""

    def __init__(self, texts):
        self.known = {}
        self.learn(texts)

    def learn(self, texts):
        pieces = sorted({p for t in texts for p in TAG.split(t)[::3]
                         if p.strip() and p not in self.known})
        if not pieces:
            return
        try:
            out = subprocess.run(["mecab"], input="\n".join(pieces) + "\n",
                                 capture_output=True, text=True, check=True).stdout
        except (OSError, subprocess.CalledProcessError) as e:
            miss(f"mecab が動きません（{e}）：読みとモーラを数えられません")
            return
        for piece, sentence in zip(pieces, out.split("EOS\n")):
            reading = []
            for token in sentence.splitlines():
                surface, _, features = token.partition("\t")
                given = [f for f in features.split(",")[7:9] if f != "*"]
                reading.append(given[-1] if given else surface)
            self.known[piece] = "".join(reading)

    def read(self, text):
        self.learn([text])
        return "".join(self.known.get(p, "") if i % 3 == 0 else p
                       for i, p in enumerate(TAG.split(text)) if i % 3 != 2)

    def fixed_morae(self, text, given=None):
        """Morae of the text outside its tags (from `given` when there is one)."""
        return morae(TAG.sub("", given if given is not None else self.read(text)))


def convolve(a, b):
    out = defaultdict(float)
    for x, p in a.items():
        for y, q in b.items():
            out[x + y] += p * q
    return dict(out)


def shifted(dist, n):
    return {x + n: p for x, p in dist.items()}


def word_lists(data_dir, reader_texts):
    lists = {tag: read_words(os.path.join(data_dir, f"{tag}.dat")) for tag in LISTS}
    for words in lists.values():
        reader_texts.extend(w for w, _ in words)
        reader_texts.extend(r for _, r in words if r)
    return lists


def distributions(lists, reader):
    """Each list's chance of each mora count, chained words with what their
    inner tags take; words without a count are left out, as a line with a
    target leaves them out."""
    dists = {}
    for i in reversed(range(len(LISTS))):
        tag = LISTS[i]
        total = defaultdict(float)
        usable = [(w, r) for w, r in lists[tag] if reader.fixed_morae(w, r) is not None]
        for word, given in usable:
            dist = {reader.fixed_morae(word, given): 1.0}
            for m in TAG.finditer(word):
                if m.group(1) in LISTS[i + 1:]:
                    dist = convolve(dist, dists[m.group(1)])
            for x, p in dist.items():
                total[x] += p / len(usable)
        dists[tag] = dict(total)
    return dists


def line_parts(text, given, reader, dists):
    """(fixed morae, distribution of the plain tags, {held tag: times})."""
    fixed = reader.fixed_morae(text, given)
    plain, held = {0: 1.0}, Counter()
    for m in TAG.finditer(text):
        if m.group(2):
            held[m.group(0)] += 1
        else:
            plain = convolve(plain, dists[m.group(1)])
    return fixed, plain, held


def reachable(parts, targets, dists):
    """Whether some choice of held words lets every line meet its target."""
    held = sorted({t for _, _, h in parts for t in h})

    def fits(choice, i):
        fixed, plain, h = parts[i]
        return targets[i] - fixed - sum(k * choice[t] for t, k in h.items()) in plain

    def search(k, choice):
        if k == len(held):
            return all(fits(choice, i) for i in range(len(parts)) if not parts[i][2])
        for length in dists[held[k][:2]]:
            choice[held[k]] = length
            done = [i for i, (_, _, h) in enumerate(parts)
                    if h and max(held.index(t) for t in h) == k]
            if all(fits(choice, i) for i in done) and search(k + 1, choice):
                return True
        return False

    return search(0, {})


def tags(text):
    return sorted(m.group(0) for m in TAG.finditer(text))


def stanzas(lines):
    out, current = [], []
    for line in lines:
        if line[0] == "":
            if current:
                out.append(current)
            current = []
        else:
            current.append(line)
    if current:
        out.append(current)
    return out


def check_frames(frames, reader, dists, figures):
    songs = tied = pieces = 0
    total = te_iru = 0
    frames_of_line = defaultdict(set)
    targets = Counter(t for f in frames for text, t, _ in f["lines"] if text)
    if targets and None not in targets:
        mean = sum(t * k for t, k in targets.items()) / sum(targets.values())
        figures.append(f"行の拍 {min(targets)}～{max(targets)}、平均 {mean:.1f}")
    for n, frame in enumerate(frames, 1):
        lines = frame["lines"]
        where = f"わく {n}（{lines[0][0] if lines else '空'}…）"
        parts = stanzas(lines)
        texts = [tuple(t for t, _, _ in s) for s in parts]
        sung = [line for line in lines if line[0]]
        for text, target, given in sung:
            total += 1
            end = text.rstrip(TRAILING_SPACE)
            te_iru += bool(TE_IRU_END.search(end))
            if VERB_END.search(end):
                miss(f"{where}：「{text}」が動詞のタグで終わっています")
            frames_of_line[text].add(n)
            if target is None or not TARGETS[0] <= target <= TARGETS[1]:
                miss(f"{where}：「{text}」の拍（{target}）が {TARGETS[0]}～{TARGETS[1]} ではありません")
        if any(t is None for _, t, _ in sung):
            continue
        line_info = [line_parts(t, g, reader, dists) for t, _, g in sung]
        if any(f is None for f, _, _ in line_info):
            miss(f"{where}：読めない文字があります")
        elif not reachable(line_info, [t for _, t, _ in sung], dists):
            miss(f"{where}：どの語を選んでも拍に合わない行があります")
        meter = " / ".join("-".join(str(t) for _, t, _ in s) for s in parts)
        noted = [SONG_METER.search(note) for note in frame["notes"]]
        if not any(m and m.group(1) == meter for m in noted):
            miss(f"{where}：テーマの注釈に「拍 {meter}」がありません")
        # a stanza repeated, or a second verse (the same tags line by line), is
        # sung to the same phrase: its lines take the same targets
        for a, b in itertools.combinations(parts, 2):
            if [tags(t) for t, _, _ in b] == [tags(t) for t, _, _ in a][:len(b)] and \
                    [t for _, t, _ in b] != [t for _, t, _ in a][:len(b)]:
                miss(f"{where}：同じ節で歌う行（{b[0][0]}…）の拍がちがいます")
        chorus = [i for i, s in enumerate(texts) if texts.count(s) > 1]
        count = len(lines)
        if count < SONG_LINES[0]:
            pieces += 1
            if len(sung) < MIN_PIECE_LINES:
                miss(f"{where}：{len(sung)} 行しかありません（{MIN_PIECE_LINES} 行以上に）")
            continue
        if count > SONG_LINES[1] or not chorus:
            miss(f"{where}：{count} 行でくりかえす節がありません（歌は {SONG_LINES[0]}～"
                 f"{SONG_LINES[1]} 行、サビがもどる形に）")
            continue
        # the chorus: a stanza sung first after the verse and again after another stanza
        shaped = [(i, j) for i in chorus for j in chorus if i > 0 and j > i + 1 and texts[i] == texts[j]]
        first = shaped[0][0] if shaped else 0
        chorus_tags = {m.group(0) for t in texts[first] for m in TAG.finditer(t)}
        if not shaped:
            miss(f"{where}：歌い出し・サビ・２番かブリッジ・サビの順になっていません")
        elif any(not TAG.fullmatch(t).group(2) for t in chorus_tags):
            miss(f"{where}：サビに数字のないタグがあります（サビがそのままもどりません）")
        else:
            songs += 1
            verse = {m.group(0) for s in texts[:first] for t in s for m in TAG.finditer(t)}
            tied += bool(verse & chorus_tags)
    figures.append(f"歌 {songs}（目標 {MIN_SONGS} 以上）、歌い出しとサビを同じ語で結ぶ歌 {tied}"
                   f"（目標 {MIN_TIED} 以上）、小品 {pieces}（目標 {MAX_PIECES} 以下）")
    if songs < MIN_SONGS:
        miss(f"歌が {songs} しかありません（{MIN_SONGS} 以上必要）")
    if tied < MIN_TIED:
        miss(f"歌い出しとサビを数字つきのタグで結ぶ歌が {tied} しかありません")
    if pieces > MAX_PIECES:
        miss(f"小品が {pieces} あります（{MAX_PIECES} まで）")
    ratio = te_iru / total if total else 0.0
    figures.append(f"〜ている・〜ていた で終わる行 {te_iru}/{total} = {ratio:.1%}"
                   f"（目標 {MAX_TE_IRU:.0%} 以下）")
    if ratio > MAX_TE_IRU:
        miss(f"〜ている・〜ていた で終わる行が {ratio:.1%} あります")
    for line, ns in frames_of_line.items():
        # a bare pattern such as "Giと　Viいる" is new words each time
        if len(ns) > MAX_FRAMES_PER_LINE and reader.fixed_morae(line) > 3:
            miss(f"行「{line}」が {len(ns)} のわくに出てきます（{MAX_FRAMES_PER_LINE} つまで）")


def check_words(lists, frames, reader, figures):
    frame_text = "\n".join(t for f in frames for t, _, _ in f["lines"])
    no_ni_vt = re.search(r"No[1-9]?に[　 ]*Vt", frame_text)
    honored = re.search(r"No[1-9]?(" + "|".join(HONORIFICS) + ")", frame_text)
    for i, tag in enumerate(LISTS):
        name = f"{tag}.dat"
        words = lists[tag]
        texts = [w for w, _ in words]
        chained = [w for w in texts if TAG.search(w)]
        share = len(chained) / len(texts) if texts else 0.0
        figures.append(f"{name} {len(texts)} 語、つながる語 {len(chained)} = {share:.1%}")
        if share > MAX_CHAINED:
            miss(f"{name}：タグを含む語が {share:.1%} あります（{MAX_CHAINED:.0%} 以下に）")
        if len(texts) < MIN_WORDS:
            miss(f"{name}：語が {len(texts)} しかありません（{MIN_WORDS} 以上必要）")
        for word, times in Counter(texts).items():
            if times > 1:
                miss(f"{name}：「{word}」が {times} 回あります")
        for word, given in words:
            count = reader.fixed_morae(word, given)
            if count is None:
                miss(f"{name}：「{word}」の読みがわかりません（'= の行を）")
            elif word in chained and count > MAX_CHAIN_MORAE:
                miss(f"{name}：「{word}」はタグのほかに {count} 拍あります")
            elif word not in chained and tag in ("Ad", "No") and not MORAE[0] <= count <= MORAE[1]:
                miss(f"{name}：「{word}」は {count} 拍です（{MORAE[0]}～{MORAE[1]} 拍に）")
            if tag == "Gi" and word in chained and "を" in word:
                miss(f"{name}：「{word}」は「を」を含みます")
            if tag == "Vt" and no_ni_vt and re.match(r"Noに", word):
                miss(f"{name}：「{word}」の前に「{no_ni_vt.group(0)}」のわくがあります")
            if tag == "No" and honored and word.endswith(HONORIFICS):
                miss(f"{name}：「{word}」に「{honored.group(0)}」のわくが敬称を重ねます")
            if tag == "Ad" and word in BLAND:
                miss(f"{name}：「{word}」は大きさや程度だけの形容詞です")
    families = defaultdict(list)
    for word, _ in lists["Gi"]:
        if not TAG.search(word):
            families[kana_key(word)].append(word)
    crowded = {k: ws for k, ws in families.items() if len(ws) > 2}
    figures.append(f"Gi.dat の３語以上の仲間 {len(crowded)}")
    for words in crowded.values():
        miss("Gi.dat：仲間の語が多すぎます（" + "・".join(words) + "）")
    check_second_opinion(lists, reader, figures)


def kana_key(word):
    """The first two kana, katakana folded to hiragana: きら for キラキラ and きらり."""
    return "".join(chr(ord(c) - 0x60) if "\u30a1" <= c <= "\u30f6" else c for c in word[:2])


def check_second_opinion(lists, reader, figures):
    """Words whose mora count kakasi and mecab disagree on need a `'=` line."""
    plain = [(tag, w) for tag in LISTS for w, r in lists[tag] if r is None and w]
    fixed = [TAG.sub("", w) for _, w in plain]
    try:
        out = subprocess.run(["kakasi", "-JH", "-KH", "-i", "utf8", "-o", "utf8"],
                             input="\n".join(fixed) + "\n", capture_output=True,
                             text=True, check=True).stdout.split("\n")
    except (OSError, subprocess.CalledProcessError) as e:
        miss(f"kakasi が動きません（{e}）")
        return
    doubtful = 0
    for (tag, word), other in zip(plain, out):
        ours = reader.fixed_morae(word)
        # kakasi drops a kanji before っ (走って: て), so those words it cannot judge
        if ours is not None and morae(other) != ours and "っ" not in word:
            doubtful += 1
            miss(f"{tag}.dat：「{word}」の読みが分かれます（mecab {reader.read(word)}、"
                 f"kakasi {other}）：'= の行で読みを書いてください")
    figures.append(f"mecab と kakasi で拍の数が分かれる語 {doubtful}")


def check_filling(tool, data_dir, frames, figures):
    """Fills each frame with `lyrmak-tool write --readings` and counts lines on target."""
    def fill(i):
        out = subprocess.run([tool, "write", "--frame", str(i), "--count", str(SONGS_FILLED),
                              "--seed", "18", "--readings", data_dir],
                             capture_output=True, text=True, check=True).stdout
        return [row.split("\t")[1] for row in out.split("\n") if "\t" in row]

    try:
        with concurrent.futures.ThreadPoolExecutor(2) as pool:
            counts = list(pool.map(fill, range(len(frames))))
    except (OSError, subprocess.CalledProcessError) as e:
        miss(f"{tool} で歌詞を作れません（{e}）")
        return
    hit = total = 0
    for n, (frame, got) in enumerate(zip(frames, counts), 1):
        targets = [str(t) for text, t, _ in frame["lines"] if text] * SONGS_FILLED
        if len(got) != len(targets):
            miss(f"わく {n}：lyrmak-tool の行の数がわくと合いません")
            continue
        hit += sum(a == b for a, b in zip(got, targets))
        total += len(targets)
    share = hit / total if total else 0.0
    figures.append(f"わくごとに {SONGS_FILLED} 曲、{len(frames) * SONGS_FILLED} 曲で拍どおりの行 "
                   f"{hit}/{total} = {share:.1%}（目標 100%）")
    if share < METER_FILLING:
        figures.append("（この lyrmak-tool はまだ拍に合わせて語を選びません）")
    elif share < 1.0:
        miss(f"拍どおりでない行が {total - hit} あります")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    data_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "data")
    texts = []
    lists = word_lists(data_dir, texts)
    frames = read_frames(os.path.join(data_dir, "Kasi.dat"))
    texts.extend(g or t for f in frames for t, _, g in f["lines"])
    reader = Reader(texts)
    figures = [f"わく {len(frames)}"]
    check_frames(frames, reader, distributions(lists, reader), figures)
    check_words(lists, frames, reader, figures)
    if len(sys.argv) > 2:
        check_filling(sys.argv[2], data_dir, frames, figures)
    print("\n".join(figures))
    if misses:
        print(f"\n目標に届かない点が {len(misses)} あります：")
        print("\n".join(misses))
        return 1
    print("\nすべての目標に届いています。")
    return 0


if __name__ == "__main__":
    sys.exit(main())

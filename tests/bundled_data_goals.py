#!/usr/bin/env python3
"""bundled_data_goals.py [DATA_DIR]: prints the bundled lyric data's figures and
each goal it misses (exit 1 then); mora counts come from `kakasi -JH`."""
import os
import re
import subprocess
import sys
from collections import Counter, defaultdict

LISTS = ["Gi", "Ad", "Vi", "Vt", "No"]  # the order in which a frame is filled
TAG = re.compile(r"(Gi|Ad|Vi|Vt|No)([1-9]?)")
VERB_END = re.compile(r"(Vi|Vt)[1-9]?$")
TRAILING_SPACE = " \t\u3000"
REFRAIN_SWITCH = "'!くりかえし"

MIN_FRAMES = 240
MIN_SONGS = 120
SONG_LINES = (8, 16)
PIECE_LINES = (2, 7)
MAX_VERB_END = 0.10
MAX_FRAMES_PER_LINE = 2
MIN_WORDS = 320
MIN_CHAINED = 0.10
MORAE = (2, 6)
SMALL_KANA = set("ゃゅょぁぃぅぇぉゎャュョァィゥェォヮ")

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


def read_frames(path):
    """Frames as lists of their non-comment lines, the "@" terminator left out."""
    frames, current = [], []
    switched = False
    for line in read_lines(path):
        if line.startswith("'"):
            switched = switched or line == REFRAIN_SWITCH
            continue
        if line == "@":
            frames.append(current)
            current = []
        else:
            current.append(line)
    if current:
        miss("Kasi.dat：最後のわくが「@」の行で終わっていません")
    if not switched:
        miss(f"Kasi.dat：「{REFRAIN_SWITCH}」の行がないので、くりかえしのタグが働きません")
    return frames


def shape(frame):
    """The frame without its fixed text: only tags (held digits kept), line by line."""
    return tuple(" ".join(m.group(0) for m in TAG.finditer(line)) for line in frame)


def morae(reading):
    return sum(1 for c in reading if c not in SMALL_KANA and not c.isspace()
               and (c == "ー" or "\u3041" <= c <= "\u30fa" or c.isalpha()))


def readings(texts):
    try:
        out = subprocess.run(["kakasi", "-JH", "-i", "utf8", "-o", "utf8"],
                             input="\n".join(texts) + "\n", capture_output=True,
                             text=True, check=True).stdout
    except (OSError, subprocess.CalledProcessError) as e:
        miss(f"kakasi が動きません（{e}）：モーラ数を数えられません")
        return None
    result = out.split("\n")[:len(texts)]
    if len(result) != len(texts):
        miss("kakasi の出力の行数が合いません：モーラ数を数えられません")
        return None
    return result


def check_frames(data_dir, figures):
    frames = read_frames(os.path.join(data_dir, "Kasi.dat"))
    figures.append(f"わく {len(frames)}（目標 {MIN_FRAMES} 以上）")
    if len(frames) < MIN_FRAMES:
        miss(f"わくが {len(frames)} しかありません（{MIN_FRAMES} 以上必要）")

    by_shape = defaultdict(list)
    songs = pieces = lines_total = verb_ends = 0
    frames_of_line = defaultdict(set)
    for n, frame in enumerate(frames, 1):
        where = f"わく {n}（{(frame[0] if frame else '') or '空行'}…）"
        by_shape[shape(frame)].append(n)
        count = len(frame)
        if SONG_LINES[0] <= count <= SONG_LINES[1]:
            inner_blank = any(line == "" for line in frame[1:-1])
            held = Counter(m.group(0) for line in frame for m in TAG.finditer(line)
                           if m.group(2))
            if not inner_blank:
                miss(f"{where}：{count} 行の歌なのに、部分の間に空行がありません")
            if not held:
                miss(f"{where}：{count} 行の歌なのに、くりかえしのタグ（No1 など）がありません")
            for tag, times in held.items():
                if times < 2:
                    miss(f"{where}：くりかえしのタグ {tag} が一度しか出てきません")
            if inner_blank and held:
                songs += 1
        elif PIECE_LINES[0] <= count <= PIECE_LINES[1]:
            pieces += 1
        else:
            miss(f"{where}：{count} 行です（歌は {SONG_LINES[0]}～{SONG_LINES[1]} 行、"
                 f"小品は {PIECE_LINES[0]}～{PIECE_LINES[1]} 行）")
        for line in frame:
            if line == "":
                continue
            lines_total += 1
            if VERB_END.search(line.rstrip(TRAILING_SPACE)):
                verb_ends += 1
            frames_of_line[line].add(n)

    figures.append(f"歌 {songs}（目標 {MIN_SONGS} 以上）、小品 {pieces}")
    if songs < MIN_SONGS:
        miss(f"歌（{SONG_LINES[0]}～{SONG_LINES[1]} 行、空行で区切り、くりかえしのタグあり）が"
             f" {songs} しかありません（{MIN_SONGS} 以上必要）")
    for numbers in by_shape.values():
        if len(numbers) > 1:
            miss("わく " + "・".join(map(str, numbers)) + " が同じ形（タグの並びと行の組み立て）です")
    ratio = verb_ends / lines_total if lines_total else 0.0
    figures.append(f"動詞のタグで終わる行 {verb_ends}/{lines_total} = {ratio:.1%}"
                   f"（目標 {MAX_VERB_END:.0%} 以下）")
    if ratio > MAX_VERB_END:
        miss(f"動詞のタグ（Vi・Vt）で終わる行が {ratio:.1%} あります（{MAX_VERB_END:.0%} 以下に）")
    repeated = {line: ns for line, ns in frames_of_line.items() if len(ns) > MAX_FRAMES_PER_LINE}
    figures.append(f"{MAX_FRAMES_PER_LINE + 1} つ以上のわくに出てくる行 {len(repeated)}")
    for line, ns in repeated.items():
        miss(f"行「{line}」が {len(ns)} のわく（" + "・".join(map(str, sorted(ns))) +
             f"）に出てきます（{MAX_FRAMES_PER_LINE} つまで）")


def check_words(data_dir, figures):
    for i, tag in enumerate(LISTS):
        name = f"{tag}.dat"
        words = [w for w in read_lines(os.path.join(data_dir, name)) if not w.startswith("'")]
        if "" in words:
            miss(f"{name}：空の語（空行）が {words.count('')} つあります")
        chained = [w for w in words if any(t in w for t in LISTS[i + 1:])]
        part = f"{name} {len(words)} 語"
        if tag != "No":
            share = len(chained) / len(words) if words else 0.0
            part += f"、つながる語 {len(chained)} = {share:.1%}"
            if share < MIN_CHAINED:
                miss(f"{name}：あとの一覧のタグを含む語が {share:.1%} しかありません"
                     f"（{MIN_CHAINED:.0%} 以上必要）")
        figures.append(part)
        if len(words) < MIN_WORDS:
            miss(f"{name}：語が {len(words)} しかありません（{MIN_WORDS} 以上必要）")
        for word, times in Counter(words).items():
            if times > 1 and word:
                miss(f"{name}：「{word}」が {times} 回あります")
        if tag in ("Ad", "No"):
            check_morae(name, words, figures)


def check_morae(name, words, figures):
    """Ad and No words stay 2-6 morae; for a chained word only its fixed text
    counts, and only when that alone is longer than the limit."""
    words = [w for w in words if w]
    fixed = [TAG.sub("", w) for w in words]
    found = readings(fixed)
    if found is None:
        return
    outside = 0
    for word, text, reading in zip(words, fixed, found):
        count = morae(reading)
        if count > MORAE[1] or (text == word and count < MORAE[0]):
            outside += 1
            miss(f"{name}：「{word}」は {count} モーラです（{reading}；"
                 f"{MORAE[0]}～{MORAE[1]} モーラに）")
    figures.append(f"{name} の {MORAE[0]}～{MORAE[1]} モーラを外れる語 {outside}")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    data_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "data")
    figures = []
    check_frames(data_dir, figures)
    check_words(data_dir, figures)
    print("\n".join(figures))
    if misses:
        print(f"\n目標に届かない点が {len(misses)} あります：")
        print("\n".join(misses))
        return 1
    print("\nすべての目標に届いています。")
    return 0


if __name__ == "__main__":
    sys.exit(main())

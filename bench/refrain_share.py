#!/usr/bin/env python3
"""refrain_share.py TOOL DATA_DIR [SONGS_PER_FRAME [APPENDS]]: the share of
songs whose refrains come back whole. Every frame with held tags (No1, Ad2,
...) is written SONGS_PER_FRAME times (default 5) with `write --frame N
--append APPENDS` (default 1), and a song counts when each held tag shows one
and the same text everywhere in all its fillings. The frame becomes a pattern: fixed text as it stands, a plain tag
any text on its line, a held tag a group that must match itself again."""
import re
import subprocess
import sys

TAG = re.compile(r"(Gi|Ad|Vi|Vt|No)([1-9]?)")


def frames(path):
    """Frame texts as the loader builds them, with LF for CR LF."""
    text = open(path, "rb").read().decode("cp932")
    lines = text.split("\r\n")
    if lines and lines[-1] == "":
        lines.pop()
    out, current = [], None
    for line in lines:
        if current is None:
            current = ""
        if not line.startswith("'"):
            current += "\n" + line
        if line == "@":
            out.append(current[: current.index("@")])
            current = None
    return out


def pattern(frame):
    parts, seen = [], set()
    pos = 0
    for m in TAG.finditer(frame):
        parts.append(re.escape(frame[pos : m.start()]))
        if m.group(2):
            name = m.group(1) + m.group(2)
            parts.append(f"(?P={name})" if name in seen else f"(?P<{name}>[^\\n]*?)")
            seen.add(name)
        else:
            parts.append("[^\\n]*?")
        pos = m.end()
    parts.append(re.escape(frame[pos:]))
    return "".join(parts), bool(seen)


def main():
    tool, data = sys.argv[1], sys.argv[2]
    per_frame = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    appends = int(sys.argv[4]) if len(sys.argv) > 4 else 1
    songs = whole = 0
    for n, frame in enumerate(frames(f"{data}/Kasi.dat")):
        body, held = pattern(frame)
        if not held:
            continue
        # All fillings share the groups: the later ones must repeat the first.
        again = re.sub(r"\(\?P<(\w+)>\[\^\\n\]\*\?\)", r"(?P=\1)", body)
        whole_song = re.compile(body + again * appends + "\n?", re.S)
        for seed in range(1, per_frame + 1):
            out = subprocess.run(
                [tool, "write", "--frame", str(n), "--append", str(appends), "--seed", str(seed), data],
                capture_output=True, text=True, check=True).stdout
            songs += 1
            whole += bool(whole_song.fullmatch(out))
    print(f"songs with refrains: {songs}; refrains that come back whole: {whole} "
          f"({100.0 * whole / max(songs, 1):.1f}%)")


main()

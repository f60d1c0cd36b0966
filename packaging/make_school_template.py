#!/usr/bin/env python3
"""Writes the files every new school starts with, which the package installs beside
kazurin2-admin for its init command (and the demo school uses as well):

  FOLDER/音フォルダ/            the sound list 新音ファイル.txt and short synthesised WAV files
  FOLDER/タイム回数データ.txt    pass criteria of the 25 levels

Usage: make_school_template.py FOLDER

Text files are CP932 with CR LF. Only the Python standard library is used; the WAV
files come out the same on every run.
"""

import math
import os
import struct
import sys
import wave

SAMPLE_RATE = 22050

# Question totals of the 25 levels, from which sensible target times follow.
QUESTION_TOTALS = [30, 10, 15, 5, 15, 5, 60, 20,
                   30, 10, 15, 5, 15, 5, 60, 20,
                   30, 10, 15, 5, 15, 5, 60, 20,
                   60]


def write_cp932(path, lines):
    with open(path, "wb") as f:
        for line in lines:
            f.write(line.encode("cp932") + b"\r\n")


# ---------------------------------------------------------------- sounds

def tone(frequencies, seconds, volume=0.5, shape="sine"):
    """Samples of a tone whose frequency glides through the given list."""
    n = int(SAMPLE_RATE * seconds)
    samples = []
    phase = 0.0
    for i in range(n):
        pos = i / max(1, n - 1) * (len(frequencies) - 1)
        k = min(int(pos), len(frequencies) - 2) if len(frequencies) > 1 else 0
        frac = pos - k
        f = frequencies[k] if len(frequencies) == 1 else frequencies[k] * (1 - frac) + frequencies[k + 1] * frac
        phase += 2 * math.pi * f / SAMPLE_RATE
        if shape == "square":
            v = 1.0 if math.sin(phase) >= 0 else -1.0
            v *= 0.5
        else:
            v = math.sin(phase)
        # Short fade in and out against clicks.
        env = min(1.0, i / (0.005 * SAMPLE_RATE), (n - 1 - i) / (0.02 * SAMPLE_RATE))
        samples.append(v * env * volume)
    return samples


def write_wav(path, samples):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(SAMPLE_RATE)
        w.writeframes(b"".join(struct.pack("<h", int(max(-1.0, min(1.0, s)) * 32000)) for s in samples))


SOUNDS = {
    "pinpon": tone([1319], 0.12) + tone([1047], 0.2),
    "seikai2": tone([880, 1760], 0.18),
    "bubu": tone([180], 0.15, 0.4, "square") + [0.0] * int(0.05 * SAMPLE_RATE) + tone([150], 0.15, 0.4, "square"),
    "jikosaikou": tone([784], 0.1) + tone([988], 0.1) + tone([1175], 0.18),
    "zannen": tone([660, 440], 0.3),
    "最高1": tone([523], 0.08) + tone([659], 0.08) + tone([784], 0.08) + tone([1047], 0.16),
    "合格": tone([784], 0.12) + tone([1047], 0.25),
    "警告1": tone([2000], 0.1, 0.4, "square"),
}

SOUND_GROUPS = [
    ("正解音1", []),
    ("正解音2", ["pinpon", "seikai2"]),
    ("間違い音1", []),
    ("間違い音2", ["bubu"]),
    ("最高音1", []),
    ("最高音2", []),
    ("自己最高音1", []),
    ("自己最高音2", ["jikosaikou"]),
    ("自己最高音3", []),
    ("不合格音1", ["zannen"]),
]


# ---------------------------------------------------------------- criteria

def criteria_rows():
    rows = []
    for level, total in enumerate(QUESTION_TOTALS, start=1):
        target = total * 3 + 15          # 30 s for 5 questions, 195 s for 60
        minimum = int(target * 1.4)      # the slowest acceptable time
        if level == 25:
            multiplier = "1.5"
        elif total >= 60:
            multiplier = "1.3"
        else:
            multiplier = "1"
        rows.append([str(target), str(minimum), "10", "3", multiplier, "20", "100", "7", "1", "", "", ""])
    return rows


def criteria_lines():
    header = ["目標Time", "最低Time", "ｸﾘｱﾎﾟｲﾝﾄ", "ｸﾘｱ回数", "ﾎﾟｲﾝﾄ倍率", "禁回", "禁点", "判期間", "禁期間", "", "", ""]
    return [",".join(row) for row in [header] + criteria_rows()]


def write_criteria(path):
    write_cp932(path, criteria_lines())


def write_sound_folder(folder):
    os.makedirs(folder, exist_ok=True)
    for name, samples in SOUNDS.items():
        write_wav(os.path.join(folder, name + ".wav"), samples)
    write_cp932(os.path.join(folder, "新音ファイル.txt"),
                [",".join([kind] + files + ["*"]) for kind, files in SOUND_GROUPS])


def main(argv):
    if len(argv) != 1:
        print("usage: make_school_template.py FOLDER", file=sys.stderr)
        return 2
    folder = argv[0]
    write_sound_folder(os.path.join(folder, "音フォルダ"))
    write_criteria(os.path.join(folder, "タイム回数データ.txt"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))



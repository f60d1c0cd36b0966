#!/usr/bin/env python3
"""Builds the demo school: a complete installation of カズリンその２ with sample data.

Usage: make_demo_school.py TARGET [--today YYYY-MM-DD]

TARGET becomes the common folder of the installation:

  TARGET/パスデータ.txt                  path file: value 1 is TARGET/data/
  TARGET/kazurin2/                       the program's own folder (the executable is
                                         copied in by scripts/run-demo.sh)
  TARGET/起動/プログラムメニューc.exe     stand-in program menu: appends its arguments
                                         to TARGET/起動/launcher-calls.log
  TARGET/data/共通データ.txt             common settings (site 00123さくら塾, password 1414)
  TARGET/data/新名簿.txt                 roster: students from kindergarten to high school
                                         and two teachers
  TARGET/data/音フォルダ/                sound list and short synthesised WAV files (the
                                         package's, packaging/make_school_template.py)
  TARGET/data/kazurin2/タイム回数データ.txt   pass criteria of the 25 levels (the package's
                                              defaults)
  TARGET/data/kazurin2/成績累積データ.dat     a few hundred results of the recent weeks
  TARGET/data/kazurin2/問題別記録.csv         the judged answers of those results (UTF-8)

Text files are CP932 with CR LF. Only the Python standard library is used.
"""

import argparse
import datetime
import math
import os
import random
import stat
import struct
import sys

# The sounds and the default criteria are the ones the package gives every new school.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "packaging"))
from make_school_template import criteria_rows, write_cp932, write_criteria, write_sound_folder  # noqa: E402

PROGRAM_FOLDER = "kazurin2"
SITE_TEXT = "00123さくら塾"
SITE_CODE = "00123"
TEACHER_PASSWORD = "1414"
SCHOOL_YEAR_START_MONTH = 4

# (family name, given name) of the students; grades are spread over them below.
STUDENTS = [
    ("山田", "太郎"), ("佐藤", "花子"), ("鈴木", "一郎"), ("高橋", "美咲"), ("田中", "健太"),
    ("伊藤", "さくら"), ("渡辺", "翔"), ("中村", "葵"), ("小林", "大輝"), ("加藤", "結衣"),
    ("吉田", "蓮"), ("山口", "陽菜"), ("松本", "悠真"), ("井上", "凛"), ("木村", "湊"),
    ("林", "芽依"), ("斎藤", "颯太"), ("清水", "美桜"), ("山崎", "陸"), ("森", "杏"),
    ("池田", "樹"), ("橋本", "心春"), ("阿部", "拓海"), ("石川", "莉子"), ("山下", "蒼"),
    ("中島", "ひなた"), ("石井", "大和"), ("小川", "紬"), ("前田", "悠人"), ("岡田", "彩花"),
    ("長谷川", "隼"), ("藤田", "七海"), ("後藤", "優斗"), ("近藤", "楓"), ("村上", "海斗"),
    ("遠藤", "真央"), ("青木", "蒼空"), ("坂本", "柚希"), ("福田", "瑛太"), ("太田", "菜々"),
    ("西村", "歩"), ("藤井", "千尋"), ("岡本", "大地"),
]
# Grades from the last kindergarten years to high school, cycled over the students.
GRADES = [-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 3, 4, 5, 6, 7, 8, 9, 2, 5, 6, 7, 8, 9, 4, 5, 6,
          7, 8, 1, 3, 5, 6, 8, 9, 12, 6, 7, 8, 5, 7]


def school_year(today):
    return today.year - 1 if today.month < SCHOOL_YEAR_START_MONTH else today.year


def ole_date(day):
    return float((day - datetime.date(1899, 12, 30)).days)


# ---------------------------------------------------------------- roster

def roster_entries(today):
    sy = school_year(today)
    entries = []
    for i, (family, given) in enumerate(STUDENTS):
        bangou = i + 1
        grade = GRADES[i % len(GRADES)]
        flag = 0
        if bangou == 41:
            flag = 1   # left the school: not listed, but old results keep the name
        elif bangou == 42:
            flag = 2   # listed only when the common settings ask for it
        entries.append((bangou, sy - 6 - grade, family + "　" + given, flag))
    entries.append((1001, 1975, "★山本　恵子", 0))
    entries.append((1002, 1982, "田中先生", 0))
    return entries


def roster_lines(today):
    return ["%d,%d,0,0,%s,%d,," % (b, y, name, flag) for b, y, name, flag in roster_entries(today)]


# ---------------------------------------------------------------- results

def attempts(today):
    rng = random.Random(20040315)
    rows = criteria_rows()
    students = [e for e in roster_entries(today) if e[0] < 1000]
    records = []
    start = today - datetime.timedelta(days=42)
    for bangou, birth_year, _name, _flag in students:
        skill = rng.uniform(0.75, 1.5)
        level = 1
        days = sorted(rng.sample(range(0, 42), rng.randint(2, 8)))
        for d in days:
            day = start + datetime.timedelta(days=d)
            if day > today:
                continue
            seconds = rng.randint(15 * 3600, 20 * 3600 + 1800)
            for _ in range(rng.randint(1, 4)):
                target = int(rows[level - 1][0])
                minimum = int(rows[level - 1][1])
                t = int(round(target * skill * rng.uniform(0.85, 1.25)))
                if t > 5 * minimum or rng.random() < 0.02:
                    t = 99999
                records.append((day, seconds, bangou, level, t))
                seconds += (t if t != 99999 else 5 * minimum) + rng.randint(20, 120)
                if t != 99999 and t <= target * 1.1 and level < 25 and rng.random() < 0.6:
                    level += 1
    # A teacher's try-out and a result of the student who left.
    records.append((today - datetime.timedelta(days=3), 17 * 3600, 1001, 25, 150))
    records.append((today - datetime.timedelta(days=30), 16 * 3600, 41, 1, 88))
    records.sort(key=lambda r: (r[0], r[1]))
    return [(day, min(seconds, 86399), bangou, level, t) for day, seconds, bangou, level, t in records]


def results_records(today):
    return [struct.pack("<ddhhi5s5s5s5s", ole_date(day), seconds / 86400.0, bangou, level, t,
                        SITE_CODE.encode("ascii").ljust(5, b" "), b" " * 5, b"0    ", b"\0" * 5)
            for day, seconds, bangou, level, t in attempts(today)]


# ---------------------------------------------------------------- answers

ANSWER_LOG_HEADER = "date,time,student,level,question,multiplicand,multiplier,typed,correct,retry,response_ms"
LEVEL_FACTORS = [(1, 10), (1, 10), (11, 15), (11, 15), (16, 20), (16, 20), (1, 20), (1, 20)]


def level_items(level):
    """(items, in_order, question_total) of a level, as the drill asks them."""
    if level == 25:
        return [(m, n) for m in (14, 15, 16) for n in range(1, 21)], False, 60
    table = 14 + (level - 1) // 8
    first, last = LEVEL_FACTORS[(level - 1) % 8]
    items = [(table, n) for n in range(first, last + 1)]
    in_order = level % 2 == 1
    return items, in_order, 3 * len(items) if in_order else len(items)


def product_difficulty(m, n):
    """How much slower and more error-prone a product is than the easiest ones."""
    hard = {(14, 13): 1.0, (14, 17): 0.8, (16, 17): 1.0, (15, 13): 0.6, (16, 13): 0.7,
            (14, 19): 0.7, (16, 19): 0.9, (15, 17): 0.5, (16, 18): 0.6, (14, 18): 0.5}
    return hard.get((m, n), 0.0) + (0.25 if n > 10 else 0.0) + (0.1 if n in (7, 8, 9) else 0.0)


def simulate_answers(rng, level, t, limit, skill):
    """The judged answers of one attempt: (m, n, typed, correct, retry, ms)."""
    items, in_order, total = level_items(level)
    answers = []

    def ask(m, n, retry):
        d = product_difficulty(m, n)
        correct = rng.random() > min(0.45, 0.03 * skill + 0.22 * d * skill)
        ms = int(rng.lognormvariate(math.log(1200 * skill * (1 + 1.5 * d)), 0.3))
        typed = str(m * n) if correct else str(m * n + rng.choice([-m, m, -10, 10, 1, -1]))
        answers.append((m, n, typed, correct, retry, ms))
        return correct

    if in_order:
        right = 0
        while right < total and len(answers) < 400:
            wrong = []
            for m, n in items:
                if right >= total:
                    break
                if ask(m, n, False):
                    right += 1
                else:
                    wrong.append((m, n))
            for m, n in wrong:
                while right < total and len(answers) < 400:
                    if ask(m, n, True):
                        right += 1
                        break
    else:
        open_items = list(items)
        while open_items and len(answers) < 400:
            m, n = rng.choice(items)
            if (m, n) in open_items and ask(m, n, False):
                open_items.remove((m, n))
            elif (m, n) not in open_items:
                continue
    # Fit the times to the recorded time: answers plus ten seconds per wrong one.
    wrong = sum(1 for a in answers if not a[3])
    budget = (limit if t == 99999 else t) * 1000 - 10000 * wrong - 300 * len(answers)
    raw = sum(a[5] for a in answers) or 1
    scale = max(0.25, budget / raw)
    answers = [(m, n, typed, c, r, max(300, int(ms * scale))) for m, n, typed, c, r, ms in answers]
    if t == 99999:
        # Time ran out: only the answers that fitted into the limit were judged.
        kept, used = [], 0
        for a in answers:
            used += a[5] + (0 if a[3] else 10000)
            if used > limit * 1000 * 0.9:
                break
            kept.append(a)
        answers = kept
    return answers


def answer_log_lines(today):
    rng = random.Random(1414)
    rows = criteria_rows()
    skills = {}
    lines = [ANSWER_LOG_HEADER]
    for day, seconds, bangou, level, t in attempts(today):
        skill = skills.setdefault(bangou, rng.uniform(0.7, 1.6))
        limit = 5 * int(rows[level - 1][1])
        stamp = "%s,%02d:%02d:%02d" % (day.isoformat(), seconds // 3600, seconds // 60 % 60, seconds % 60)
        for k, (m, n, typed, correct, retry, ms) in enumerate(simulate_answers(rng, level, t, limit, skill), 1):
            lines.append("%s,%d,%d,%d,%d,%d,%s,%d,%d,%d" % (stamp, bangou, level, k, m, n, typed, int(correct),
                                                          int(retry), ms))
    return lines


# ---------------------------------------------------------------- the whole school

def make_school(target, today):
    target = os.path.abspath(target)
    data = os.path.join(target, "data")
    sounds = os.path.join(data, "音フォルダ")
    program_data = os.path.join(data, PROGRAM_FOLDER)
    launcher_dir = os.path.join(target, "起動")
    for folder in (target, os.path.join(target, PROGRAM_FOLDER), data, sounds, program_data, launcher_dir):
        os.makedirs(folder, exist_ok=True)

    root = data.replace(os.sep, "/") + "/"
    # Quoted, so that a comma in the folder path cannot split the value.
    write_cp932(os.path.join(target, "パスデータ.txt"), ['"%s"' % root] + ["0"] * 9)
    write_cp932(os.path.join(data, "共通データ.txt"),
                ["%d,%s,0,,,%s,,,," % (SCHOOL_YEAR_START_MONTH, SITE_TEXT, TEACHER_PASSWORD)])
    write_cp932(os.path.join(data, "新名簿.txt"), roster_lines(today))

    write_sound_folder(sounds)
    write_criteria(os.path.join(program_data, "タイム回数データ.txt"))
    with open(os.path.join(program_data, "成績累積データ.dat"), "wb") as f:
        f.write(b"".join(results_records(today)))
    with open(os.path.join(program_data, "問題別記録.csv"), "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(answer_log_lines(today)) + "\n")

    launcher = os.path.join(launcher_dir, "プログラムメニューc.exe")
    with open(launcher, "w", encoding="utf-8", newline="\n") as f:
        f.write("#!/bin/sh\n"
                "# Stand-in for the program menu: notes how it was called.\n"
                "echo \"$*\" >> \"$(dirname \"$0\")/launcher-calls.log\"\n")
    os.chmod(launcher, os.stat(launcher).st_mode | stat.S_IXUSR | stat.S_IXGRP | stat.S_IXOTH)
    return target


def main(argv):
    parser = argparse.ArgumentParser(description="Builds the demo school of カズリンその２.")
    parser.add_argument("target", help="folder to become the common folder of the installation")
    parser.add_argument("--today", help="date the sample data is built around (YYYY-MM-DD)")
    args = parser.parse_args(argv)
    today = datetime.date.fromisoformat(args.today) if args.today else datetime.date.today()
    target = make_school(args.target, today)
    print("demo school written to", target)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

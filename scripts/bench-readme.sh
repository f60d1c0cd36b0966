#!/usr/bin/env bash
# Builds and runs the benchmarks behind the README's performance table, prints the table
# (figure, budget, whether it is met) with the machine's load before and after, and
# writes it into README.md between the bench-readme markers.
#
#   bash scripts/bench-readme.sh            # build dir: build (configured if missing)
#   KZ_BENCH_BUILD=build-rel bash scripts/bench-readme.sh
#   KZ_BENCH_NO_README=1 bash scripts/bench-readme.sh   # print only
#
# Figures are medians over the iterations (a shared machine is noisy); every benchmark
# with a peak-memory figure runs in a process of its own.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KZ_BENCH_BUILD:-build}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac
out="$build/bench-readme"
mkdir -p "$out"

load() { cut -d' ' -f1-3 /proc/loadavg; }
load_before="$(load)"
echo "load average (1/5/15 min) before: $load_before on $(nproc) cores"

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j2 --target bench_program bench_recordbrowser bench_memory

export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
run() { # name binary [filter]
  local name="$1" binary="$2" filter="${3:-.}"
  echo "== $name"
  "$build/benchmarks/$binary" --benchmark_filter="$filter" --benchmark_out="$out/$name.json" \
    --benchmark_out_format=json --benchmark_counters_tabular=true
}
run program bench_program
run recordbrowser bench_recordbrowser
run memory_sustained bench_memory Sustained
run memory_check bench_memory Check

load_after="$(load)"
echo "load average (1/5/15 min) after: $load_after"

python3 - "$out" "$root/README.md" "$load_before" "$load_after" "$(nproc)" "${KZ_BENCH_NO_README:-}" <<'EOF'
import json, os, re, sys, datetime

out, readme, before, after, cores, no_readme = sys.argv[1:7]
bench = {}
for name in os.listdir(out):
    if name.endswith(".json"):
        with open(os.path.join(out, name)) as f:
            for b in json.load(f)["benchmarks"]:
                bench[b["name"]] = b

def counter(name, key):
    b = bench.get(name)
    if b is None or b.get("error_occurred"):
        raise SystemExit(f"benchmark {name} has no figure ({b.get('error_message') if b else 'missing'})")
    return float(b[key])

def ms(name):
    return counter(name, "median_ms")

def cpu_ms(name):
    b = bench[name]
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b.get("time_unit", "ns")]
    return float(b["cpu_time"]) * scale

def switch_names(students):
    return [f"BM_TableSwitch/students:{students}/display:{d}/table:{t}/iterations:9"
            for d in (0, 1) for t in (1, 2, 3)]

def table_switch(students):
    return max(ms(n) for n in switch_names(students))

def table_switch_cpu(students):
    return max(cpu_ms(n) for n in switch_names(students))

def fmt(v, unit):
    if unit == "MB":
        return f"{v:.1f} MB"
    if v < 1:
        return f"{v:.3f} ms"
    if v < 10:
        return f"{v:.1f} ms"
    return f"{v:.0f} ms"

minimal = ms("BM_MinimalWindowPainted_Process/iterations:7/manual_time")
startup = ms("BM_StartupToNameScreenPainted_Process/5000/iterations:7/manual_time")
lm = "BM_LevelMenuFromNameScreen/{}/iterations:11"
rb = "BM_OpenRecordBrowser/{}/iterations:7"
refresh = "BM_StatisticsRefresh_AfterAppend/iterations:200"
afresh = "BM_StatisticsRefresh_Afresh/iterations:50"
drill = "BM_DrillKeyPressToPaint/iterations:200"
append = "BM_Append/iterations:50"
rows = [
    # what, figures (median wall clock), budgets, unit, CPU time of the process (mean)
    ("Start-up to the name screen painted, the real program, 5000 students (budget 1.3 x a "
     f"minimal Qt window after the splash timer: {minimal:.0f} ms)", [startup], [1.3 * minimal], "ms", None),
    ("Level menu: the name screen's key to the level menu painted with its 25 lists, "
     "500 / 5000 students", [ms(lm.format(500)), ms(lm.format(5000))], [25, 60], "ms",
     [cpu_ms(lm.format(500)), cpu_ms(lm.format(5000))]),
    ("A results table chosen to its 25 lists painted (worst of the six tables), 500 / 5000 students",
     [table_switch(500), table_switch(5000)], [20, 40], "ms", [table_switch_cpu(500), table_switch_cpu(5000)]),
    ("Record browser: the teacher's click to the list painted, 25000 / 200000 records",
     [ms(rb.format(25000)), ms(rb.format(200000))], [30, 100], "ms",
     [cpu_ms(rb.format(25000)), cpu_ms(rb.format(200000))]),
    ("Statistics refresh after an attempt's record, 20000 records", [ms(refresh)], [0.3], "ms",
     [cpu_ms(refresh)]),
    ("Statistics refresh counting every record afresh (first of the day, new criteria, a record "
     "changed), 20000 records", [ms(afresh)], [None], "ms", [cpu_ms(afresh)]),
    ("Drill: a digit typed to the screen painted", [ms(drill)], [16], "ms", [cpu_ms(drill)]),
    ("One append (lock, write, sync, unlock), local disk", [ms(append)], [50], "ms", [cpu_ms(append)]),
    ("Peak memory, 5000 students, 20000 records: 70 visits name screen - level menu, "
     "24 table changes", [counter("BM_SustainedPeakMemory_5000Students/iterations:1", "peak_MB")],
     [80], "MB", None),
    ("Peak memory of `kazurin2-admin check` on a "
     f"{counter('BM_CheckPeakMemory_30MBAnswerLog/iterations:1', 'log_MB'):.0f} MB answer log",
     [counter("BM_CheckPeakMemory_30MBAnswerLog/iterations:1", "peak_MB")], [64], "MB", None),
]

lines = ["| What | Figure | Budget | Met | CPU |", "|---|---|---|---|---|"]
missed = 0
for what, figures, budgets, unit, cpu in rows:
    fig = " / ".join(fmt(v, unit) for v in figures)
    cpu_text = " / ".join(fmt(v, unit) for v in cpu) if cpu else "–"
    if all(b is None for b in budgets):
        lines.append(f"| {what} | {fig} | – | – | {cpu_text} |")
        continue
    bud = " / ".join(fmt(b, unit) for b in budgets)
    met = all(v <= b for v, b in zip(figures, budgets))
    missed += not met
    lines.append(f"| {what} | {fig} | {bud} | {'yes' if met else '**no**'} | {cpu_text} |")
stamp = datetime.datetime.now().strftime("%Y-%m-%d %H:%M")
note = (f"Measured {stamp} by `bash scripts/bench-readme.sh` (RelWithDebInfo build, offscreen "
        f"platform; Figure: median wall clock of the iterations, what the budget is held "
        f"against; CPU: the process's mean CPU time over the same iterations, which the "
        f"machine's load hardly changes); load average (1/5/15 min) before the run "
        f"{before}, after it {after}, on {cores} cores shared with other work.")
table = "\n".join(lines)
print()
print(table)
print()
print(note)
if not no_readme:
    with open(readme) as f:
        text = f.read()
    begin, end = "<!-- bench-readme:begin -->", "<!-- bench-readme:end -->"
    if begin not in text or end not in text:
        raise SystemExit("README.md has no bench-readme markers")
    head, rest = text.split(begin, 1)
    _, tail = rest.split(end, 1)
    with open(readme, "w") as f:
        f.write(head + begin + "\n" + table + "\n\n" + note + "\n" + end + tail)
    print("README.md updated")
sys.exit(1 if missed else 0)
EOF

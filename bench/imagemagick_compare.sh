#!/usr/bin/env bash
# Times ImageMagick's nearest equivalents of the grayscale, Floyd-Steinberg,
# ordered-dither and brightness-contrast routines on the benchmark's
# 4000 x 3000 picture, and puts them beside our routines' times from
# velmar_imaging_bench.
#
#   bench/imagemagick_compare.sh [BUILD_DIR] [RUNS]
#
# ImageMagick reads the picture from an .mpc file (its own memory-mapped
# format, so decoding costs nothing) and writes to null:; the time of the
# same command without an operation is subtracted. Each time is the best of
# RUNS runs (default 5). ImageMagick runs with its default threads and once
# more limited to one thread; our routines use one.
set -euo pipefail
build=${1:-build}
runs=${2:-5}
bench="$build/bench/velmar_imaging_bench"
[ -x "$bench" ] || { echo "no $bench: build the target velmar_imaging_bench first" >&2; exit 2; }
command -v convert >/dev/null || { echo "ImageMagick's convert is not installed (Debian package imagemagick)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bench" --write-ppm="$work/photo.ppm"
convert "$work/photo.ppm" "$work/photo.mpc"
"$bench" --benchmark_filter='^(MakeGrayScale|DitherFloydSteinberg|DitherMatrix2x2|DitherMatrix3x3|DitherMatrix4x4|BrightnessContrast/40,-25)(/real_time)?$' \
  --benchmark_repetitions=3 --benchmark_format=json --benchmark_out="$work/ours.json" >/dev/null

python3 - "$work" "$runs" <<'PY'
import json, subprocess, sys, time
work, runs = sys.argv[1], int(sys.argv[2])
picture = work + "/photo.mpc"

def best(args):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(["convert", picture] + args + ["null:"], check=True)
        times.append(time.perf_counter() - start)
    return min(times) * 1000.0

ours = {}
for b in json.load(open(work + "/ours.json"))["benchmarks"]:
    if b.get("run_type") != "iteration":
        continue
    name = b["run_name"] if "run_name" in b else b["name"]
    name = name.replace("/real_time", "")
    unit = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
    ms = b["real_time"] * unit
    ours[name] = min(ours.get(name, ms), ms)

# Our routine, then ImageMagick's candidates; the fastest candidate counts.
pairs = [
    ("MakeGrayScale", [["-grayscale", "Average"], ["-colorspace", "Gray"]]),
    ("DitherFloydSteinberg", [["-colorspace", "Gray", "-dither", "FloydSteinberg", "-posterize", "2"],
                              ["-dither", "FloydSteinberg", "-monochrome"]]),
    ("DitherMatrix2x2", [["-ordered-dither", "o2x2"], ["-colorspace", "Gray", "-ordered-dither", "o2x2"]]),
    ("DitherMatrix3x3", [["-ordered-dither", "o3x3"], ["-colorspace", "Gray", "-ordered-dither", "o3x3"]]),
    ("DitherMatrix4x4", [["-ordered-dither", "o4x4"], ["-colorspace", "Gray", "-ordered-dither", "o4x4"]]),
    ("BrightnessContrast/40,-25", [["-brightness-contrast", "40x-25"]]),
]
for threads, limit in (("default threads", []), ("1 thread", ["-limit", "thread", "1"])):
    noop = best(limit)
    print("\nImageMagick (%s), no-op run %.1f ms subtracted; best of %d" % (threads, noop, runs))
    print("%-28s %10s  %-48s %10s %8s" % ("routine", "ours ms", "ImageMagick", "IM ms", "IM/ours"))
    for routine, candidates in pairs:
        timed = [(best(limit + c) - noop, c) for c in candidates]
        im_ms, args = min(timed)
        mine = ours.get(routine)
        if mine is None:
            continue
        print("%-28s %10.2f  %-48s %10.1f %8.1f" % (routine, mine, " ".join(args), im_ms, im_ms / mine))
PY

#!/usr/bin/env bash
# Builds the program (optimised) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVP_TESTS=OFF
cmake --build build/release -j "$(nproc)"

# "bash scripts/run.sh --bench" runs the benchmark programs instead of the
# program. Qt wants a private runtime folder; a root shell often has none.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
  trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi
if [ "${1:-}" != "--bench" ]; then
  build/release/program/vandrelith-pelto
  exit $?
fi
shift
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

# Each benchmark with a heading: what it measures, on what, against what.
benchmarks=(
  "engine_bench|Reading measurement files: the time the engine takes to read each CGATS file of the sample measurement sets (data/bench) and of reference files that other programs install, then the time of one ICC profile build."
  "icc_write_bench|Writing profiles: the time to write an ICC camera profile with a 33-point table (version 2 and 4) and a DNG camera profile, to memory and to a file."
  "profile_accuracy|Profile accuracy: profiles built from the sample measurement sets, scored as CIEDE2000 colour differences from the chart's reference colours, on the patches they were built from (tr.) and on patches kept apart (te.); lower is better. \"sec\" is the time of the build; the last column checks that lightness rises along the grey axis. The \"colprof\" rows are a peer profiler on the same data, when it is installed. Up to two minutes."
  "chart_finder_bench|Finding the chart: how often the chart finder locates the patch grid in synthetic photographs of colour charts (mixed conditions, then one hard condition at a time, then full-size frames), and how long it takes per image. About a minute."
  "items_bench|Placing the grid: the time from a loaded chart shot to the placed grid in the chart image item (the rotation search with its corner searches and quick profiles), on shots of 24 and 140 patches at the loader's size, upright and turned. With --shots DIR, real photographs with their truth go the same road (see the README)."
  "image_load_bench|Loading images: a 24-megapixel raw file (DNG) through the loader and through dcraw, and a 100-megapixel TIFF loaded at a reduced size."
  "job_list_bench|Reading jobs: a folder of job files read into the job list, beside a bare XML parse of the same files, and the text the screens are given for all jobs."
  "profiling_bench|A profiling run: one profile built through the run manager on its thread, against the same engine call made directly, on a sample measurement set."
  "widgets_bench|Showing and measuring a chart shot: the time to repaint the chart image with its patch grid and colour ratings, to answer a hover over a patch, and to measure every patch in both patch orders, on shots of 24, 140 and 288 patches."
  "job_load_bench|Loading a job's shot: how long a job takes to let go of a 24-megapixel raw file half-way through decoding, when it is closed and when another shot replaces it, beside the decoder's own cancel."
  "window_bench|What a user waits for in the program's window, on a virtual X server (xvfb-run, Mesa OpenGL): a 24-megapixel 16-bit TIFF and a 24-megapixel DNG of a ColorChecker dropped on the front page to the first frame showing the placed grid (goals 1.5 s, and a median of 0.8 s for the DNG), a patch hovered on the quality-control page to the first frame showing its information, with 24 and 140 patches (goal median 16 ms, 95th percentile 33 ms), and START PROFILING to the first frame of the progress page. Median and 95th percentile of several runs; a few minutes."
  "cms_transform_bench|Converting images: a 24-megapixel 16-bit image converted from sRGB, and from a linear camera's table profile, through the colour library, against Little CMS alone with the same settings and with its defaults (the camera's exact road: goal no slower than Little CMS's default)."
  "startup_bench|Starting the program: the time from the process's start to the application and controller being ready, to main.qml loaded and to the first frame of the first screen (the front page, or the intro for a new user), with 0, 100 and 500 stored jobs and 20 target templates, under a virtual X server (xvfb-run, Mesa) and offscreen with the software renderer; median and 95th percentile of ten runs after one cold run. Goal: the front page's first frame within 1.5 s with 100 jobs under xvfb-run. About three minutes."
)

status=0
run_one() {
  local name=$1 heading=$2
  shift 2
  echo
  echo "== $name"
  echo "$heading" | fold -s -w 80 | sed "s/ *$//"
  echo
  "build/release/bench/$name" "$@" || { echo "$name failed (status $?)"; status=1; }
}

listed=()
for entry in "${benchmarks[@]}"; do
  name=${entry%%|*}
  listed+=("$name")
  run_one "$name" "${entry#*|}" "$@"
done
# A benchmark added without a heading still runs.
for b in build/release/bench/*; do
  name=$(basename "$b")
  if [ -f "$b" ] && [ -x "$b" ] && [[ ! " ${listed[*]} " == *" $name "* ]]; then
    run_one "$name" "(no description yet)" "$@"
  fi
done
exit $status

#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer, builds
# the fuzz targets with clang and runs each for a fixed number of inputs, then
# runs every test with CTest, then the threaded tests once more under
# ThreadSanitizer. Compiler warnings fail every build.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh --tests

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1}
# The fuzz runs read the same leak suppressions as every CTest entry.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
jobs=$(nproc)

cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVP_SANITIZE=ON -DVP_WERROR=ON
cmake --build build/asan -j "$jobs"

CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVP_FUZZ=ON -DVP_TESTS=OFF -DVP_WERROR=ON
[ -s build/fuzz/fuzzers.txt ] || { echo "fuzz: no fuzz targets configured" >&2; exit 1; }
fuzz_runs=${VP_FUZZ_RUNS:-20000}
mapfile -t fuzzers < <(grep -v '^$' build/fuzz/fuzzers.txt)
names=()
for entry in "${fuzzers[@]}"; do names+=("${entry%%=*}"); done
cmake --build build/fuzz -j "$jobs" --target "${names[@]}"
for entry in "${fuzzers[@]}"; do
  name=${entry%%=*}
  seeds=${entry#*=}
  work=build/fuzz/corpus-run/$name
  rm -rf "$work" && mkdir -p "$work"
  [ -d "$seeds" ] && cp -r "$seeds"/. "$work"/
  bin=$(find build/fuzz -type f -name "$name" -perm -u+x | head -1)
  echo "fuzz: $name, $fuzz_runs runs"
  "$bin" -runs="$fuzz_runs" -seed=1 -max_len=65536 -print_final_stats=0 \
    -artifact_prefix="build/fuzz/$name-" "$work" \
    > "build/fuzz/$name.log" 2>&1 || { tail -40 "build/fuzz/$name.log"; exit 1; }
done

# The jobs and controller tests once more under ThreadSanitizer: image loads,
# the job list's parsing and profiling runs have threads of their own. Only
# what those tests need is built.
tsan_tests=(jobs_tests app_controller_tests profiling_manager_tests profile_creation_tests
            profiling_engine_tests)
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVP_SANITIZE=thread -DVP_WERROR=ON
cmake --build build/tsan -j "$jobs" --target "${tsan_tests[@]}"

(cd build/asan && ctest --output-on-failure -j "$jobs")
# The controller's tests have one entry per test class (app_controller_tests_<class>).
tsan_pattern=$(IFS='|'; echo "^(${tsan_tests[*]})(_[A-Za-z]+)?$")
(cd build/tsan && ctest --output-on-failure -j "$jobs" -R "$tsan_pattern")

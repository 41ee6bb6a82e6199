#!/usr/bin/env bash
# Builds the program (optimised) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVP_TESTS=OFF
cmake --build build/release -j "$(nproc)"

if [ -x build/release/program/vandrelith-pelto ]; then
  exec build/release/program/vandrelith-pelto "$@"
fi
# Until the application exists, the engine's benchmark programs are the program.
for b in build/release/bench/*; do
  if [ -f "$b" ] && [ -x "$b" ]; then
    echo "== $(basename "$b")"
    "$b" "$@"
  fi
done

#!/usr/bin/env bash
# Builds and runs the picture-files benchmark in a Release build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup --bench
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C build -j2 velmar_files_bench
QT_QPA_PLATFORM=offscreen build/bench/velmar_files_bench "${1:-/tmp}"

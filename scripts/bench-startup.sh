#!/usr/bin/env bash
# Builds both targets and prints the start-up figures of kvchecks.exe under
# Wine (32- and 64-bit prefixes) and of the native checker, as a Markdown
# table (tests/bench/startup_bench.py). Not a test: it prints figures.
# Usage: bench-startup.sh [ROUNDS]   (default 15)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh all
for preset in windows windows-x64 native; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$(nproc)" >/dev/null
done
mkdir -p build/windows-bin
cp build/windows/kvchecks.exe build/windows-x64/fileversion_x64.exe build/windows-bin/
exec python3 tests/bench/startup_bench.py --windows-bin build/windows-bin --native build/native/kvchecks \
  --rounds "${1:-15}"

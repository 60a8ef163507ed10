#!/usr/bin/env bash
# Builds both targets (the native checker against the simulated machine, and
# kvchecks.exe with fileversion_x64.exe for Windows) and runs every test:
# the formatting check, unit tests and scenarios natively, the scenarios
# under Wine, the Windows 2000 import check, the manifest and version
# resources of the programs, the signed release made twice (which builds the
# Windows programs twice more, in folders of their own, and compares them),
# the native tests again under ASan and UBSan, and a bounded run of the fuzz
# targets.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh all || exit 1

jobs=$(nproc)
build() {
  cmake --preset "$1" "${@:2}" >/dev/null && cmake --build --preset "$1" -j"$jobs" >/dev/null
}

build windows || { echo "the Windows build failed"; exit 1; }
build windows-x64 || { echo "the 64-bit companion build failed"; exit 1; }
mkdir -p build/windows-bin
cp build/windows/kvchecks.exe build/windows/kvcapture.exe build/windows-bin/
[ -f build/windows-x64/fileversion_x64.exe ] && cp build/windows-x64/fileversion_x64.exe build/windows-bin/
build native -DKVCHECKS_WINDOWS_BIN_DIR="$PWD/build/windows-bin" || { echo "the native build failed"; exit 1; }
build native-sanitize || { echo "the sanitized native build failed"; exit 1; }

passed=0
failed=0
tally() {  # adds up one ctest run from its closing line
  local line
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -n 1)
  if [ -z "$line" ]; then
    failed=$((failed + 1))
    return
  fi
  local total bad
  bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
}

tally_script() {  # adds up a test script's closing "N passed, N failed" line
  local line
  line=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$1" | tail -n 1)
  if [ -z "$line" ]; then
    failed=$((failed + 1))
    return
  fi
  passed=$((passed + ${line%% passed*}))
  failed=$((failed + $(sed -E 's/.*, ([0-9]+) failed/\1/' <<<"$line")))
}

log=$(mktemp)
trap 'rm -f "$log"' EXIT

echo "== formatting: every C and C++ source as .clang-format lays it out"
if find src sim tests tools \( -name '*.c' -o -name '*.cpp' -o -name '*.h' \) -print0 |
  xargs -0 clang-format --dry-run -Werror; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi

echo "== Windows 2000 start-up check"
# The capture program carries the table and the profile writer: a larger budget.
if python3 tests/windows/check_imports.py build/windows/kvchecks.exe &&
  python3 tests/windows/check_imports.py --size-limit 409600 build/windows/kvcapture.exe &&
  python3 tests/windows/check_imports.py --dlls-only --objdump x86_64-w64-mingw32-objdump \
    build/windows-x64/fileversion_x64.exe; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi

echo "== the release, signed with a test authority and made twice"
python3 tests/windows/check_release.py 2>&1 | tee "$log"
tally_script "$log"

echo "== native build: unit tests, scenarios natively and under Wine"
ctest --test-dir build/native --output-on-failure 2>&1 | tee "$log" | grep -vE '^\s*([0-9]+/[0-9]+ Test +#[0-9]+: .* Passed|Start +[0-9]+:)'
tally "$log"

echo "== native build with AddressSanitizer and UndefinedBehaviorSanitizer"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/native-sanitize --output-on-failure -j"$jobs" 2>&1 | tee "$log" |
  grep -vE '^\s*([0-9]+/[0-9]+ Test +#[0-9]+: .* Passed|Start +[0-9]+:)'
tally "$log"

echo "== fuzzing the readers of outside input"
if bash scripts/fuzz.sh; then passed=$((passed + 1)); else failed=$((failed + 1)); fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

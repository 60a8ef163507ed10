#!/usr/bin/env bash
# Builds the native checker and runs one check on the embedded default
# machine (or on the profile named by KVCHECKS_MACHINE).
# Usage: run-check.sh MODE STATUS DESC [ARG]   (default: NULL 17 abc)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh native
cmake --preset native >/dev/null
cmake --build --preset native --target kvchecks >/dev/null
if [ $# -eq 0 ]; then
  set -- NULL 17 abc
fi
exec build/native/kvchecks "$@"

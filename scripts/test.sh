#!/usr/bin/env bash
# Installs what is missing, checks the formatting of the sources, builds everything with
# AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/, runs every test with CTest,
# then builds the Debian package and checks it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/check-format.sh
cmake --preset asan
cmake --build --preset asan -j "$(nproc)"

# The sound tests play through a real PulseAudio null sink; start a daemon when none runs.
source scripts/pulse-null-sink.sh

ctest --preset asan -j "$(nproc)" "$@"

# The Debian package, built and checked from its own files (desktop entry, AppStream data,
# the installed programs recording the demo's call). Left out when only some tests are asked for.
if [ "$#" -eq 0 ]; then
    bash scripts/check-package.sh
fi

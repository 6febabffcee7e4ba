#!/usr/bin/env bash
# Installs what is missing, builds the program into build/ and starts it.
# Arguments are passed to the program (for example --data-dir DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target calvora
exec build/bin/calvora "$@"

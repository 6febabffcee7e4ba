#!/usr/bin/env bash
# Installs what is missing, builds the programs without tests into build-package/ and makes the
# Debian package there (calvora_<version>_<arch>.deb). Prints the package's path last.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCALVORA_TESTS=OFF -DCALVORA_BENCH=OFF >/dev/null
cmake --build build-package -j "$(nproc)"
(cd build-package && cpack -G DEB >/dev/null)
ls -1 "$PWD"/build-package/calvora_*.deb | tail -n 1

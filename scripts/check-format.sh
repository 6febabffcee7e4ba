#!/usr/bin/env bash
# Fails, naming the files, when a tracked C++ source or header is not formatted as the
# repository's .clang-format says. Fix with: clang-format -i <file>...
set -euo pipefail
cd "$(dirname "$0")/.."

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git ls-files -z -- '*.cpp' '*.h' | xargs -0 -r clang-format --dry-run --Werror
else
  # An unpacked source archive: every source outside the build folders.
  find . \( -path './build*' -o -path './.git' \) -prune -o \( -name '*.cpp' -o -name '*.h' \) \
    -print0 | xargs -0 -r clang-format --dry-run --Werror
fi

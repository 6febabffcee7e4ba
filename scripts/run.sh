#!/usr/bin/env bash
# Installs what is missing, builds the program into build/ and starts it. With no modem
# configured and none attached, it starts the demo: the virtual modem rings with a caller's
# call, which is recorded, catalogued and can be played. Arguments go to the program (for
# example --data-dir DIR, or --demo to see the demo anyway).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target calvora calvora-vmodem

data_dir="${CALVORA_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/calvora}"
configured=no
if [ -f "$data_dir/orv.ini" ] && grep -qiE '^[[:space:]]*port[[:space:]]*=[[:space:]]*[1-9]' "$data_dir/orv.ini"; then
    configured=yes
fi
attached=no
if compgen -G "/dev/serial/by-id/*" >/dev/null; then
    attached=yes
fi

if [ "$#" -eq 0 ] && [ "$configured" = no ] && [ "$attached" = no ]; then
    echo "No modem configured or attached: starting the demo (data in ~/.local/share/calvora-demo)."
    exec build/bin/calvora --demo
fi
exec build/bin/calvora "$@"

#!/usr/bin/env bash
# Checks an installed Calvora under PREFIX (for example /usr, or a package unpacked into a
# throw-away folder): the desktop entry and the AppStream data validate, the icons, man pages
# and systemd units are there, and the installed programs work from their own files alone, up to
# recording the demo's call unattended.
#   scripts/check-install.sh PREFIX
set -euo pipefail
prefix="$(cd "$1" && pwd)"
fail() { echo "check-install: $*" >&2; exit 1; }

desktop-file-validate "$prefix/share/applications/calvora.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/org.calvora.Calvora.metainfo.xml"
for f in share/icons/hicolor/scalable/apps/calvora.svg share/icons/hicolor/48x48/apps/calvora.png \
         share/icons/hicolor/256x256/apps/calvora.png share/calvora/Help.html \
         share/calvora/vmodem-samples/demo-caller.wav lib/systemd/user/calvora-recorder.service \
         lib/systemd/system/calvora-recorder.service lib/sysusers.d/calvora-recorder.conf \
         share/calvora/web/index.html share/calvora/web/app.js share/calvora/web/style.css; do
    [ -f "$prefix/$f" ] || fail "missing $f"
done
grep -q "^ExecStart=.*/bin/calvora-recorder$" "$prefix/lib/systemd/user/calvora-recorder.service" ||
    fail "the user unit does not start the installed recorder"
grep -q "^ExecStart=.*/bin/calvora-recorder --data-dir " "$prefix/lib/systemd/system/calvora-recorder.service" ||
    fail "the system unit does not start the installed recorder"
for p in calvora calvora-recorder calvora-wav calvora-catalogue calvora-vmodem; do
    [ -x "$prefix/bin/$p" ] || fail "missing program $p"
    [ -f "$prefix/share/man/man1/$p.1" ] || [ -f "$prefix/share/man/man1/$p.1.gz" ] ||
        fail "missing man page of $p"
done

export QT_QPA_PLATFORM=offscreen
"$prefix/bin/calvora" --version | grep -q "Calvora" || fail "calvora --version"
"$prefix/bin/calvora-wav" formats | grep -qi "pcm" || fail "calvora-wav formats"

# The demo's call, eight times as fast, recorded by the installed program.
work="$(mktemp -d)"
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
CALVORA_TIME_SCALE=0.25 CALVORA_DEMO_SPEED=8 \
    "$prefix/bin/calvora" --demo --unattended --data-dir "$work/data" 2>"$work/stderr" &
pid=$!
stopped() { grep -qs -- "-- Recording stopped" "$work/data/Events.log"; }
for _ in $(seq 1 1800); do
    stopped && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
stopped || { cat "$work/stderr" "$work/data/Events.log" >&2 || true; fail "no demo recording"; }
kill -TERM "$pid"
wait "$pid" || true
pid=
wav="$(compgen -G "$work/data/wav/1_*.wav" | head -n 1 || true)"
[ -n "$wav" ] || fail "the demo recording left no WAV file"

# The installed recorder serves its web page from the installed page files.
"$prefix/bin/calvora-recorder" --data-dir "$work/data" --listen 127.0.0.1:0 2>"$work/recorder" &
pid=$!
for _ in $(seq 1 600); do
    [ -s "$work/data/.calvora-web-url" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
url="$(cat "$work/data/.calvora-web-url" 2>/dev/null || true)"
[ -n "$url" ] || { cat "$work/recorder" >&2; fail "the recorder serves no web page"; }
python3 - "$url" <<'PY' || fail "the installed web page is not served"
import sys, urllib.request
page = urllib.request.urlopen(sys.argv[1], timeout=10).read().decode()
assert "Calvora recordings" in page, page[:200]
assert urllib.request.urlopen(sys.argv[1] + "app.js", timeout=10).status == 200
PY
kill -TERM "$pid"
wait "$pid" || true
pid=
echo "check-install: $prefix passes ($(basename "$wav"), web page at $url)"

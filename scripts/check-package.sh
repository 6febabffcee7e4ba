#!/usr/bin/env bash
# Builds the Debian package and checks it without installing it on this machine: apt must be
# able to resolve its dependencies, and the programs unpacked into a throw-away folder must
# pass scripts/check-install.sh from those files alone, and the system unit must stay confined.
set -euo pipefail
cd "$(dirname "$0")/.."
deb="$(bash scripts/package.sh | tail -n 1)"
echo "Package: $deb ($(du -k "$deb" | cut -f1) KiB)"
echo "Depends: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -f "$deb" Depends | grep -q "libqt6widgets6" || { echo "no Qt dependency computed" >&2; exit 1; }
apt-get install --simulate --no-install-recommends "$deb" >/dev/null

root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
bash scripts/check-install.sh "$root/usr"

# The system unit stays confined: systemd-analyze (from the systemd package, which
# scripts/install-deps.sh installs) scores its exposure at most 2.0 ("OK"), so a change that
# weakens it fails here.
unit="$root/usr/lib/systemd/system/calvora-recorder.service"
systemd-analyze security --offline=true --no-pager "$unit" | tail -n 1
systemd-analyze security --offline=true --threshold=20 --no-pager "$unit" >/dev/null ||
    { echo "the system unit's exposure is above 2.0" >&2; exit 1; }

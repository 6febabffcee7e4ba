#!/usr/bin/env bash
# Installs, with apt-get, every Debian package the build, the program and the tests need.
# Packages already present are left alone, so a second run costs one dpkg query.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-multimedia-dev qt6-svg-dev
  libqt6svg6 qt6-qpa-plugins libgl-dev
  libgsm1-dev libsoxr-dev libphonenumber-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  sox libsox-fmt-all ffmpeg pulseaudio pulseaudio-utils espeak-ng
  xdg-utils
  xvfb xdotool at-spi2-core dbus-x11 dbus-daemon python3-pyatspi python3-pil fontconfig
  desktop-file-utils appstream dpkg-dev file
  qt6-httpserver-dev qt6-websockets-dev libsodium-dev openssl
  libsystemd-dev systemd
  chromium nodejs
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# npm comes with some builds of nodejs and is Debian's own package otherwise.
if ! command -v npm >/dev/null; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends npm
fi

# The web page's browser tests drive the system's chromium with puppeteer-core (no browser
# download), installed from its lock file.
web_tests="$(dirname "$0")/../tests/web"
if [ ! -d "$web_tests/node_modules/puppeteer-core" ]; then
  (cd "$web_tests" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
fi

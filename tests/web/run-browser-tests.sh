#!/usr/bin/env bash
# Runs the web page's browser tests: installs puppeteer-core from the lock file when it is
# missing (no browser is downloaded; the system's chromium is used), then runs them with node.
set -euo pipefail
cd "$(dirname "$0")"
if [ ! -d node_modules/puppeteer-core ]; then
    PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error
fi
exec node browser-test.js

#!/usr/bin/env bash
# calvora-wav gain and equalize against sox doing a comparable job, each on the same one-hour
# 8 kHz IMA ADPCM call, side by side. Build the release preset first.
# Usage: bench/postproc/tool-vs-sox.sh [BIN_DIR (default build/bin)] [RUNS (default 3)]
set -euo pipefail
cd "$(dirname "$0")/../.."
bin=${1:-build/bin}
runs=${2:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# An hour of a call: two partials in syllables, a slow swell between a loud and a quiet
# party, pauses; made by sox and written in the program's IMA ADPCM by calvora-wav.
sox -n -r 8000 -c 1 -b 16 "$work/pcm.wav" synth 3600 sine 310 sine 1130 remix 1,2 \
  tremolo 0.1 70 tremolo 3.5 100
"$bin/calvora-wav" convert --to ima-adpcm:8000:4:1 "$work/pcm.wav" "$work/call.wav" >/dev/null
rm "$work/pcm.wav"
echo "input: $(soxi -e "$work/call.wav"), $(soxi -d "$work/call.wav"), $(du -h "$work/call.wav" | cut -f1)"

# The best wall-clock time in seconds of RUNS runs of a command.
best() {
  local best_ns=0 start t
  for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
    t=$(($(date +%s%N) - start))
    if [ "$best_ns" = 0 ] || [ "$t" -lt "$best_ns" ]; then best_ns=$t; fi
  done
  awk -v ns="$best_ns" 'BEGIN { printf "%.3f", ns / 1e9 }'
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", a / b }'; }

gain=$(best "$bin/calvora-wav" gain 50 "$work/call.wav" "$work/ours.wav")
sox_vol=$(best sox "$work/call.wav" "$work/sox.wav" vol 1.5)
echo "gain +50%:  calvora-wav ${gain} s   sox vol 1.5 ${sox_vol} s   ratio $(ratio "$sox_vol" "$gain")x" \
  "(outputs: $(soxi -e "$work/ours.wav"), $(soxi -e "$work/sox.wav"))"

equalize=$(best "$bin/calvora-wav" equalize "$work/call.wav" "$work/ours.wav")
# Raises quiet speech towards the loud party's level, as the equaliser does.
sox_compand=$(best sox "$work/call.wav" "$work/sox.wav" compand 0.3,1 6:-70,-60,-20 -5 -90 0.2)
echo "equalize:   calvora-wav ${equalize} s   sox compand ${sox_compand} s   ratio $(ratio "$sox_compand" "$equalize")x" \
  "(outputs: $(soxi -e "$work/ours.wav"), $(soxi -e "$work/sox.wav"))"

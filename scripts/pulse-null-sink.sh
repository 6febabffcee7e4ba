# Sourced by the test script: makes sure a PulseAudio daemon with a null sink is running, so that
# the sound output path is exercised for real on machines without a sound card.
if command -v pulseaudio >/dev/null 2>&1; then
    if ! pactl info >/dev/null 2>&1; then
        pulseaudio --daemonize=yes --exit-idle-time=-1 --system=false \
            --disallow-exit -n --load="module-null-sink sink_name=calvora_null" \
            --load="module-native-protocol-unix" >/dev/null 2>&1 || true
        for _ in $(seq 1 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
    fi
    if ! pactl list short sinks 2>/dev/null | grep -q .; then
        pactl load-module module-null-sink sink_name=calvora_null >/dev/null 2>&1 || true
    fi
    # A second output, as when headphones are plugged in, for the tests of where sound goes.
    # It is there before any test starts: sinks coming and going under running clients can
    # abort them as they exit.
    if ! pactl list short sinks 2>/dev/null | grep -q calvora_second; then
        pactl load-module module-null-sink sink_name=calvora_second >/dev/null 2>&1 || true
    fi
fi

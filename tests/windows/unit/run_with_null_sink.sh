#!/bin/sh
# Runs a command with a private PulseAudio server whose only sink is a null sink, so that
# Wine's wave-out finds a device on a machine without a sound card. The server lives in a
# fresh runtime directory and is ended afterwards.
#   run_with_null_sink.sh COMMAND [ARGS...]
set -u
runtime=$(mktemp -d /tmp/velta-pulse.XXXXXX)
chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime"
unset PULSE_SERVER
pulseaudio -n --daemonize=yes --exit-idle-time=-1 --disallow-exit --use-pid-file=yes \
    --load=module-native-protocol-unix --load="module-null-sink sink_name=capture" \
    --load=module-always-sink >"$runtime/pulse.log" 2>&1 || {
    echo "$0: pulseaudio did not start:" >&2
    cat "$runtime/pulse.log" >&2
    rm -rf "$runtime"
    exit 1
}
"$@"
status=$?
pulseaudio --kill 2>/dev/null
rm -rf "$runtime"
exit $status

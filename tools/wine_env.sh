# Sourced by the dev scripts: the build tree's own Wine prefix, quiet, without Mono or Gecko
# install prompts. Expects BUILD to name the build tree.
export WINEPREFIX="$(cd "$BUILD" && pwd)/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# Starts Xvfb on a free display and exports DISPLAY; XVFB_PID names the server.
start_virtual_display() {
    fifo_dir=$(mktemp -d)
    mkfifo "$fifo_dir/fd"
    Xvfb -displayfd 3 -screen 0 "${1:-800x600x24}" -nolisten tcp 3>"$fifo_dir/fd" \
        >/dev/null 2>&1 &
    XVFB_PID=$!
    read -r number <"$fifo_dir/fd"
    rm -rf "$fifo_dir"
    export DISPLAY=":$number"
}

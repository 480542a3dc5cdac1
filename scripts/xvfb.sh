# Sourced by the scripts and tests that need an X server of a given size.
# start_xvfb WIDTHxHEIGHT: starts Xvfb on a display number of its own, with that screen; sets
# `display` (":N") and `xvfb_pid`; fails when the server did not start within 10 seconds.
start_xvfb() {
    local file
    file="$(mktemp "${TMPDIR:-/tmp}/quenor-xvfb.XXXXXX")"
    Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp -noreset 3>"$file" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$file" ] && break
        sleep 0.1
    done
    display=":$(head -n1 "$file")"
    rm -f "$file"
    [ "$display" != ":" ]
}

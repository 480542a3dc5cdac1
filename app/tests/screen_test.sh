#!/usr/bin/env bash
# quenorctl --resolution screen against real X servers: Xvfb at 1280x800 and at 1920x1080.
#   - apply gives the game each screen's size, in the frame that holds it;
#   - run moved from one screen to the other applies again, and a third run on the same
#     screen writes nothing;
#   - without DISPLAY, apply changes nothing and exits 1, and run starts the game as it is;
#   - each quenorctl given is tried; one named static runs under a launcher's LD_PRELOAD and
#     LD_LIBRARY_PATH.
#   screen_test.sh QUENOR_VIV WORK QUENORCTL [STATIC_QUENORCTL]
# Exits 77 (a skipped test for CTest) when Xvfb is not installed.
set -euo pipefail
viv="$1" work="$2"
shift 2
root="$(cd "$(dirname "$0")/../.." && pwd)"
if ! command -v Xvfb >/dev/null; then
    echo "Xvfb is not installed (Debian: xvfb); skipped" >&2
    exit 77
fi
fail() {
    echo "screen_test: $*" >&2
    exit 1
}
rm -rf "$work"
mkdir -p "$work"
servers=()
trap 'kill "${servers[@]}" 2>/dev/null || true' EXIT

. "$root/scripts/xvfb.sh"
# An Xvfb server of the size given; sets `display` to its name.
start_x() {
    start_xvfb "$1" || fail "Xvfb at $1 did not start"
    servers+=("$xvfb_pid")
}
start_x 1280x800
small="$display"
start_x 1920x1080
large="$display"

cat >"$work/game.sh" <<'GAME'
#!/bin/sh
echo "started $*" >>"$GAME_RECORD"
exit 7
GAME
chmod +x "$work/game.sh"

mkdir -p "$work/decoys"
for name in libstdc++.so.6 libgcc_s.so.1 libxcb.so.1 libxcb-randr.so.0 libXau.so.6; do
    : >"$work/decoys/$name"
done

try_program() {
    local kind="$1" ctl="$2"
    local dir="$work/$kind"
    local -a run=()
    [ "$kind" = static ] &&
        run=(env LD_PRELOAD=libquenor-missing-preload.so LD_LIBRARY_PATH="$work/decoys")
    mkdir -p "$dir/home"
    QUENOR_VIV="$viv" "$root/scripts/make-demo-prefix.sh" "$dir/prefix" >/dev/null 2>&1 ||
        fail "no demo prefix"
    export WINEPREFIX="$dir/prefix" HOME="$dir/home" GAME_RECORD="$dir/game-record"
    ctl() { "${run[@]}" "$ctl" "$@"; }
    game_files() {
        cat "$WINEPREFIX/user.reg" "$WINEPREFIX/system.reg" \
            "$WINEPREFIX/drive_c/Program Files (x86)/EA Sports/NHL 09/preload/fmisc.viv" |
            sha256sum
    }
    starts_at() {
        local now
        now="$(env -u DISPLAY "${run[@]}" "$ctl" status 2>/dev/null | grep '^The game starts at' || true)"
        [ "$now" = "The game starts at $1" ] || fail "$kind: $2: the game starts at \"$now\", not \"$1\""
    }
    local deck="1280 x 800 (GFX Mode 3: frame 3, sgsm3.cfg)"
    local tv="1920 x 1080 (GFX Mode 4: frame 4, sgsm4.cfg)"

    DISPLAY="$small" ctl status | grep -qx "Screen: 1280 x 800 (DISPLAY $small)" ||
        fail "$kind: status does not show the 1280x800 screen"
    DISPLAY="$small" ctl apply --yes --resolution screen >/dev/null 2>&1 || fail "$kind: apply failed"
    starts_at "$deck" "apply on the 1280x800 screen"
    DISPLAY="$large" ctl apply --yes --resolution screen >/dev/null 2>&1 || fail "$kind: apply failed"
    starts_at "$tv" "apply on the 1920x1080 screen"

    local status
    for screen in "$small" "$large"; do
        status=0
        DISPLAY="$screen" ctl run --resolution screen -- "$work/game.sh" a "b c" >/dev/null 2>&1 ||
            status=$?
        [ "$status" = 7 ] || fail "$kind: run gave $status, not the game's 7"
    done
    starts_at "$tv" "run handheld, then docked"
    local before
    before="$(game_files)"
    DISPLAY="$large" ctl run --resolution screen -- "$work/game.sh" >/dev/null 2>&1 || true
    [ "$(game_files)" = "$before" ] || fail "$kind: a run on the same screen wrote to the game"

    status=0
    env -u DISPLAY "${run[@]}" "$ctl" apply --yes --resolution screen >/dev/null 2>"$dir/err" ||
        status=$?
    [ "$status" = 1 ] || fail "$kind: apply without a screen gave $status"
    grep -q "there is no screen to match (DISPLAY is not set)" "$dir/err" ||
        fail "$kind: apply without a screen said: $(cat "$dir/err")"
    status=0
    env -u DISPLAY "${run[@]}" "$ctl" run --resolution screen -- "$work/game.sh" x \
        >/dev/null 2>"$dir/err" || status=$?
    [ "$status" = 7 ] || fail "$kind: run without a screen gave $status"
    grep -q "no screen to match" "$dir/err" || fail "$kind: run without a screen said nothing"
    [ "$(game_files)" = "$before" ] || fail "$kind: without a screen the game was changed"
    [ "$(grep -c '^started' "$GAME_RECORD")" = 4 ] || fail "$kind: the game did not start 4 times"
    grep -qx "started a b c" "$GAME_RECORD" || fail "$kind: the game lost its arguments"
}

# A screen whose size the window's boxes cannot hold, and a screen number no server has: the
# shared program alone.
start_x 10240x1440
wide="$display"
mkdir -p "$work/odd/home"
QUENOR_VIV="$viv" "$root/scripts/make-demo-prefix.sh" "$work/odd/prefix" >/dev/null 2>&1 ||
    fail "no demo prefix"
before="$(sha256sum "$work/odd/prefix/user.reg")"
for case in "$wide|the screen's size, 10240 x 1440, does not fit" \
    "$small.-1|names a screen its X server does not have"; do
    status=0
    DISPLAY="${case%%|*}" WINEPREFIX="$work/odd/prefix" HOME="$work/odd/home" \
        "$1" apply --yes --resolution screen >/dev/null 2>"$work/odd/err" || status=$?
    [ "$status" = 1 ] || fail "DISPLAY ${case%%|*}: apply gave $status, not 1"
    grep -q "${case#*|}" "$work/odd/err" || fail "DISPLAY ${case%%|*}: $(cat "$work/odd/err")"
done
[ "$(sha256sum "$work/odd/prefix/user.reg")" = "$before" ] || fail "an odd screen changed the game"

try_program shared "$1"
[ $# -ge 2 ] && try_program static "$2"
echo "screen_test: passed"

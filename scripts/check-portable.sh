#!/usr/bin/env bash
# Checks the portable bundle where nothing of the build machine is: a clean Debian 13 root
# (debootstrap --variant=minbase) that holds only what a desktop has (Xvfb, the GL and EGL
# libraries, fontconfig, libX11 and libxcb, DejaVu fonts), no Qt, no yaml-cpp and no
# Liberation fonts. In it, as an ordinary user with a fresh home:
#   1. the tarball unpacks and install.sh installs it;
#   2. the installed window opens under Xvfb (screenshot: OUTDIR/window.png) with the bundled
#      libraries and the root's own newer C++ runtime, and the Qt tests' measure of every
#      caption passes with the bundled libraries and fonts;
#   3. the installed quenorctl runs apply --yes, status --json and restore on a demo prefix
#      with LD_PRELOAD naming a missing library and LD_LIBRARY_PATH naming empty files in the
#      place of libstdc++, yaml-cpp, libcrypto and QtCore; the archive and registry values are
#      what the Debian build leaves;
#   4. with a C++ runtime older than the bundle's in the place of the root's, the window opens
#      on the bundle's own;
#   5. install.sh of a newer tarball upgrades the installed copy in place, and
#      install.sh --uninstall leaves the home as it was but for the log, settings and originals;
#   6. the bundle's quenorctl runs status in a root that holds only it, the C library's files
#      and a demo prefix;
#   7. in Flathub Steam's sandbox (bubblewrap: its home, PIDs and LD_PRELOAD), the launch
#      option install.sh printed gives the game the screen's size and starts it.
# The root is kept in a cache folder ($QUENOR_ROOT_CACHE, else ~/.cache/quenor-portable-root),
# so a later run downloads nothing; each run works on a copy. Reuses the portable build
# (scripts/make-portable.sh) and the CI build (build/ci) for the Debian programs and the Qt
# tests. Needs root (debootstrap, chroot, mounts). Prints the time of each stage.
#   scripts/check-portable.sh [OUTDIR]      (OUTDIR: build/portable-check)
set -euo pipefail
cd "$(dirname "$0")/.."
repo="$PWD"
out="${1:-$repo/build/portable-check}"
mkdir -p "$out"
out="$(cd "$out" && pwd)"
[ "$(id -u)" -eq 0 ] || {
    echo "check-portable: run it as root (debootstrap, chroot and mounts need it)" >&2
    exit 1
}
fail() {
    echo "check-portable: $*" >&2
    exit 1
}
started=$(date +%s)
stage_started=$started
stage() {
    local now
    now=$(date +%s)
    echo "== $1 (previous stage: $((now - stage_started)) s)"
    stage_started=$now
}

scripts/install-deps.sh debootstrap x11-utils x11-apps netpbm binutils curl ca-certificates \
    desktop-file-utils bubblewrap

stage "the bundles"
scripts/make-portable.sh "$out" | tail -3
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/portable/CMakeCache.txt)"
tarball="$out/quenor-$version-linux-x86_64.tar.gz"
newer_version="$version.1"
scripts/make-portable.sh --version "$newer_version" "$out/newer" | tail -1
newer="$out/newer/quenor-$newer_version-linux-x86_64.tar.gz"
# The Debian build's programs and the Qt tests, from the CI build when it is there.
if [ ! -x build/ci/app/quenorctl/quenorctl ] || [ ! -x build/ci/window/qt/qt_front_end_tests ]; then
    cmake --preset ci >/dev/null
    cmake --build --preset ci --target quenorctl quenor-viv qt_front_end_tests
fi
debian_ctl="$repo/build/ci/app/quenorctl/quenorctl"
qt_tests="$repo/build/ci/window/qt/qt_front_end_tests"

# What the tarball's programs need of the system, read from the tarball itself.
mkdir -p "$out/unpacked"
rm -rf "$out/unpacked/quenor-$version"
tar -xzf "$tarball" -C "$out/unpacked"
scripts/check-self-contained.sh --static "$out/unpacked/quenor-$version/bin/quenorctl" \
    "$out/unpacked/quenor-$version/bin/quenor-viv"
scripts/check-self-contained.sh --bundle "$out/unpacked/quenor-$version"
rm -rf "$out/unpacked"

stage "the Debian 13 root"
# The mirror the machine's own apt uses.
mirror="$(sed -n 's/^URIs: *\(http[^ ]*debian\)\/*$/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null |
    head -1)" || true
[ -n "$mirror" ] || mirror="$(sed -n 's/^deb \(\[[^]]*\] \)\{0,1\}\(http[^ ]*debian\)\/* .*/\2/p' \
    /etc/apt/sources.list 2>/dev/null | head -1)" || true
[ -n "$mirror" ] || mirror="http://deb.debian.org/debian"
# The GL drivers without glvnd's libOpenGL.so.0 (libopengl0), which Debian's libgl1 does not
# bring: the bundle's fallback copy opens the window.
desktop_packages="xvfb,libgl1,libegl1,fontconfig,libx11-6,libx11-xcb1,libxcb1,fonts-dejavu-core"
cache="${QUENOR_ROOT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quenor-portable-root}"
cached_root="$cache/trixie-minbase-$(echo "$desktop_packages" | sha256sum | cut -c1-12)"
if [ ! -x "$cached_root/usr/bin/Xvfb" ]; then
    echo "debootstrap from $mirror (once; kept in $cached_root)"
    mkdir -p "$cache"
    rm -rf "$cached_root.new"
    debootstrap --variant=minbase --include="$desktop_packages" trixie "$cached_root.new" \
        "$mirror" >"$out/debootstrap.log" 2>&1 || {
        tail -20 "$out/debootstrap.log" >&2
        fail "debootstrap failed"
    }
    chroot "$cached_root.new" apt-get clean
    rm -rf "$cached_root"
    mv "$cached_root.new" "$cached_root"
else
    echo "the root from the cache: $cached_root"
fi
for absent in /usr/share/fonts/truetype/liberation /usr/lib/x86_64-linux-gnu/libQt6Core.so.6 \
    /usr/lib/x86_64-linux-gnu/libOpenGL.so.0 \
    /usr/lib/x86_64-linux-gnu/libyaml-cpp.so.0.7; do
    [ ! -e "$cached_root$absent" ] || fail "the root holds $absent, which a desktop may lack"
done

work="$(mktemp -d "${TMPDIR:-/tmp}/quenor-portable-check.XXXXXX")"
root="$work/root"
xvfb_pid=""
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    for mount in "$root/dev" "$root/proc"; do
        mountpoint -q "$mount" 2>/dev/null && umount -R -l "$mount"
    done
    rm -rf "$work"
}
trap cleanup EXIT INT TERM
cp -a "$cached_root" "$root"
mount -t proc proc "$root/proc"
mount --rbind /dev "$root/dev"
mount --make-rslave "$root/dev"

player=4242
chroot "$root" useradd -m -u "$player" -s /bin/bash player
home=/home/player
# A command in the root as the player, in a clean environment like a desktop session's.
as_player() {
    chroot --userspec="$player:$player" "$root" /usr/bin/env -i HOME="$home" USER=player \
        PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 XDG_RUNTIME_DIR=/tmp/runtime-player \
        XDG_CACHE_HOME=/tmp/cache-player "$@"
}
mkdir -p "$root/tmp/runtime-player" "$root/tmp/cache-player"
chown "$player:$player" "$root/tmp/runtime-player" "$root/tmp/cache-player"
chmod 700 "$root/tmp/runtime-player"
home_list() {
    (cd "$root$home" && find . | LC_ALL=C sort)
}

stage "install"
mkdir -p "$root$home/Downloads"
cp "$tarball" "$newer" "$root$home/Downloads/"
chown -R "$player:$player" "$root$home/Downloads"
as_player sh -c "cd ~/Downloads && tar -xzf quenor-$version-linux-x86_64.tar.gz"
# A program of the player's own where a link would go: the installation stops, and nothing of
# the home changes.
as_player sh -c 'mkdir -p ~/.local/bin && echo "#!/bin/sh" >~/.local/bin/quenorctl'
home_list >"$work/home-foreign.txt"
if as_player sh -c "cd ~/Downloads/quenor-$version && ./install.sh" >"$work/refused.txt" 2>&1; then
    fail "install.sh replaced a ~/.local/bin/quenorctl that was not Quenor's"
fi
home_list | diff "$work/home-foreign.txt" - || fail "a refused installation changed the home"
grep -q 'is not Quenor.s link' "$work/refused.txt" || { cat "$work/refused.txt"; fail "no reason given"; }
as_player sh -c 'rm -r ~/.local'
# Steam from Flathub is installed: install.sh puts quenorctl where its sandbox sees it.
as_player mkdir -p "$home/.var/app/com.valvesoftware.Steam"
home_list >"$work/home-before.txt"
as_player sh -c "cd ~/Downloads/quenor-$version && ./install.sh" | tee "$out/install.txt"
installed="$home/.local/share/quenor"
for link in quenor quenorctl quenor-viv; do
    [ "$(readlink "$root$home/.local/bin/$link")" = "$installed/bin/$link" ] ||
        fail "install.sh did not link ~/.local/bin/$link"
done
grep -qx "Exec=\"$installed/bin/quenor\"" "$root$home/.local/share/applications/quenor.desktop" ||
    fail "the menu entry does not start $installed/bin/quenor"
desktop-file-validate "$root$home/.local/share/applications/quenor.desktop" ||
    fail "the installed menu entry is not valid"

stage "the window"
# Every program, library and plugin of the bundle finds what it needs in the root: what the
# bundle carries, or what the desktop has (the Wayland plugins, which no X server here tries).
as_player sh -c "find '$installed' -type f -name '*.so*' -o -type f -name 'quenor-window' |
    LD_LIBRARY_PATH='$installed/lib:$installed/lib/opengl-fallback' xargs ldd" >"$work/ldd.txt" 2>&1 || true
if grep -q 'not found' "$work/ldd.txt"; then
    grep -B20 'not found' "$work/ldd.txt" | grep -E ':$|not found' >&2
    fail "a file of the bundle needs a library the root lacks"
fi
mkfifo "$work/display"
mkdir -m 1777 "$root/tmp/.X11-unix"
chroot --userspec="$player:$player" "$root" /usr/bin/env -i HOME="$home" \
    PATH=/usr/bin:/bin Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
    3>"$work/display" >"$out/xvfb.log" 2>&1 &
xvfb_pid=$!
read -r display_number <"$work/display"
display=":$display_number"
prefix_in_root="$home/demo-prefix"
QUENOR_VIV="$root$installed/bin/quenor-viv" scripts/make-demo-prefix.sh "$work/demo-prefix" >/dev/null
cp -a "$work/demo-prefix" "$root$prefix_in_root"
chown -R "$player:$player" "$root$prefix_in_root"

# Opens the installed window on the demo prefix; waits for its main window and prints the
# process's id. The X server's socket is reached from outside the root too.
open_window() {
    as_player DISPLAY="$display" WINEPREFIX="$prefix_in_root" "$home/.local/bin/quenor" \
        >"$1" 2>&1 &
    local launched=$! tries=0
    until DISPLAY="$display" xwininfo -root -tree 2>/dev/null | grep -q '("quenor" "quenor")'; do
        tries=$((tries + 1))
        if [ "$tries" -gt 100 ] || ! kill -0 "$launched" 2>/dev/null; then
            cat "$1" >&2
            return 1
        fi
        sleep 0.2
    done
    pgrep -u "$player" -f "$installed/bin/quenor-window" | head -1
}
# The C++ runtime file the window's process has loaded.
runtime_of() {
    grep -o '/[^ ]*libstdc++\.so\.6[^ ]*' "/proc/$1/maps" | head -1
}
close_window() {
    kill "$1" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
    kill -9 "$1" 2>/dev/null || true
}
window="$(open_window "$out/window.log")" || fail "the installed window did not open"
sleep 1
DISPLAY="$display" xwininfo -root -tree | grep '("quenor" "quenor")' | head -3
DISPLAY="$display" xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng >"$out/window.png"
echo "screenshot: $out/window.png"
runtime="$(runtime_of "$window")"
echo "the window runs on $runtime"
case "$runtime" in
"$root$installed"/* | "$installed"/*) fail "the window took the bundle's C++ runtime on a newer system" ;;
esac
close_window "$window"

# The Qt tests' measure of every caption and of the layout, with the bundle's libraries and
# fonts: a copy of the test program in the installed bin folder (as the window's, it adds the
# fonts of share/quenor/fonts) on the bundle's Qt (its qt.conf), with Qt Test, which only the
# tests use, from this machine.
cp "$qt_tests" "$root$installed/bin/qt_front_end_tests"
mkdir -p "$root/tmp/test-libraries"
cp -L /usr/lib/x86_64-linux-gnu/libQt6Test.so.6 "$root/tmp/test-libraries/"
as_player DISPLAY="$display" QUENOR_QT_TEST_PLATFORM=xcb \
    LD_LIBRARY_PATH="$installed/lib:$installed/lib/opengl-fallback:/tmp/test-libraries" "$installed/bin/qt_front_end_tests" \
    --gtest_filter='*CaptionFit*:*FormViewLayout*' >"$out/captions.log" 2>&1 || {
    tail -40 "$out/captions.log" >&2
    fail "a caption is cut, or the layout differs, with the bundle's libraries and fonts"
}
grep -E '^\[  PASSED  \]' "$out/captions.log"
rm "$root$installed/bin/qt_front_end_tests"

stage "quenorctl in a launcher's environment"
mkdir -p "$root$home/decoys"
for name in libstdc++.so.6 libyaml-cpp.so.0.7 libcrypto.so.3 libQt6Core.so.6; do
    : >"$root$home/decoys/$name"
done
chown -R "$player:$player" "$root$home/decoys"
ctl() {
    as_player LD_PRELOAD=libquenor-missing-preload.so LD_LIBRARY_PATH="$home/decoys" \
        "$installed/bin/quenorctl" --prefix "$prefix_in_root" "$@"
}
archive="drive_c/Program Files (x86)/EA Sports/NHL 09/preload/fmisc.viv"
cp -a "$work/demo-prefix" "$work/debian-prefix"
apply_options=(apply --yes --resolution 1600x1000 --vsync off --fps high)
HOME="$work/debian-home" "$debian_ctl" --prefix "$work/debian-prefix" "${apply_options[@]}" \
    >/dev/null
ctl "${apply_options[@]}" >"$out/apply.txt" 2>&1 || { cat "$out/apply.txt"; fail "apply failed"; }
cmp "$root$prefix_in_root/$archive" "$work/debian-prefix/$archive" ||
    fail "the bundle's quenorctl left another archive than the Debian build"
registry_values() {
    sed -E -e 's/^(\[.*\]) [0-9]+$/\1/' -e '/^#time=/d' "$1/user.reg" "$1/system.reg"
}
diff <(registry_values "$root$prefix_in_root") <(registry_values "$work/debian-prefix") ||
    fail "the bundle's quenorctl left other registry values than the Debian build"
ctl status --json >"$out/status.json" 2>"$work/status.err" ||
    { cat "$work/status.err"; fail "status --json failed"; }
HOME="$work/debian-home" "$debian_ctl" --prefix "$work/debian-prefix" status --json \
    >"$work/debian-status.json"
# A set of originals is named after the real path of the archive, which differs.
diff <(sed -e "s|$prefix_in_root|PREFIX|g" -e 's/archive-[0-9a-f]\{16\}/archive-ID/' "$out/status.json") \
    <(sed -e "s|$work/debian-prefix|PREFIX|g" -e 's/archive-[0-9a-f]\{16\}/archive-ID/' \
        "$work/debian-status.json") ||
    fail "status --json differs from the Debian build's"
ctl restore >"$out/restore.txt" 2>&1 || { cat "$out/restore.txt"; fail "restore failed"; }
cmp "$root$prefix_in_root/$archive" "$work/demo-prefix/$archive" ||
    fail "restore did not bring the archive back"
[ -s "$root$home/.local/state/quenor/quenor.log" ] ||
    fail "the installed quenorctl did not log to ~/.local/state/quenor/quenor.log"
echo "apply, status --json and restore: as the Debian build"

stage "Steam from Flathub"
# The sandbox as Flatpak makes it for Steam: the home replaced by Steam's own folder, a PID
# namespace of its own, Steam's LD_PRELOAD (a library the sandbox lacks), the X display, and
# Proton's STEAM_COMPAT_DATA_PATH naming a prefix inside it. The launch option install.sh
# printed puts the screen's size right, starts a stand-in game with its arguments and gives its
# exit status; status, in the sandbox too, reads the result.
steam_home="$home/.var/app/com.valvesoftware.Steam"
# bubblewrap runs as the player outside the root: the way into the root must be open to it.
chmod 711 "$work"
QUENOR_VIV="$root$installed/bin/quenor-viv" scripts/make-demo-prefix.sh \
    "$root$steam_home/compatdata/pfx" >/dev/null
printf '#!/bin/sh\necho "$#:$*" >"$HOME/game-record"\nexit 7\n' >"$root$steam_home/game.sh"
chmod 755 "$root$steam_home/game.sh"
chown -R "$player:$player" "$root$steam_home"
launch="$(grep -A1 '^  Steam (Flatpak)' "$out/install.txt" | tail -n 1 | sed 's/^ *//')"
case "$launch" in
*"quenorctl run --resolution screen -- %command%") ;;
*) fail "install.sh printed no launch option for Flatpak Steam: \"$launch\"" ;;
esac
in_steam_sandbox() {
    setpriv --reuid="$player" --regid="$player" --clear-groups \
        bwrap --bind "$root" / --bind "$root$steam_home" "$home" --unshare-pid --proc /proc \
        --dev /dev --clearenv --setenv HOME "$home" --setenv PATH /usr/bin:/bin \
        --setenv DISPLAY "$display" \
        --setenv LD_PRELOAD "$home/.local/share/Steam/ubuntu12_64/gameoverlayrenderer.so" \
        --setenv STEAM_COMPAT_DATA_PATH "$home/compatdata" -- "$@"
}
status=0
in_steam_sandbox sh -c "${launch%\%command%}$home/game.sh 'a b' c" >"$out/flatpak-run.txt" 2>&1 ||
    status=$?
[ "$status" = 7 ] || { cat "$out/flatpak-run.txt"; fail "the game's exit status was not passed on"; }
[ "$(cat "$root$steam_home/game-record")" = "2:a b c" ] || fail "the game lost its arguments"
in_steam_sandbox "$home/.local/share/quenor/bin/quenorctl" status >"$out/flatpak-status.txt" 2>&1 ||
    { cat "$out/flatpak-status.txt"; fail "status failed in the sandbox"; }
grep -qx "The game starts at 1280 x 1024 (GFX Mode 3: frame 3, sgsm3.cfg)" \
    "$out/flatpak-status.txt" || { cat "$out/flatpak-status.txt"; fail "the screen's size was not applied"; }
echo "Flatpak Steam's sandbox: $launch applied the screen's 1280 x 1024 and started the game"
# What the game and quenorctl left in the sandbox's home (the prefix, the log) is the player's,
# which uninstall leaves; it goes here, so that the home compares as it was.
rm -rf "$root$steam_home/compatdata" "$root$steam_home/game.sh" "$root$steam_home/game-record" \
    "$root$steam_home/.local/state"

stage "the window on an older C++ runtime"
curl -fsS -o "$work/bullseye-packages.gz" "$mirror/dists/bullseye/main/binary-amd64/Packages.gz"
old_runtime_deb="$(gzip -dc "$work/bullseye-packages.gz" |
    awk '/^Package: libstdc\+\+6$/ { found = 1 } found && !name && /^Filename:/ { name = $2 }
         END { print name }')"
[ -n "$old_runtime_deb" ] || fail "no libstdc++6 in Debian 11 at $mirror"
curl -fsS -o "$work/old-runtime.deb" "$mirror/$old_runtime_deb"
dpkg-deb -x "$work/old-runtime.deb" "$work/old-runtime"
lib_dir="$root/usr/lib/x86_64-linux-gnu"
mkdir "$work/newer-runtime"
mv "$lib_dir"/libstdc++.so.6* "$work/newer-runtime/"
cp "$work/old-runtime/usr/lib/x86_64-linux-gnu/libstdc++.so.6.0.28" "$lib_dir/"
ln -s libstdc++.so.6.0.28 "$lib_dir/libstdc++.so.6"
chroot "$root" ldconfig
window="$(open_window "$out/window-old-runtime.log")" ||
    fail "the window did not open with an older system libstdc++"
runtime="$(runtime_of "$window")"
echo "with Debian 11's libstdc++ (GLIBCXX_3.4.28) the window runs on $runtime"
case "$runtime" in
*"$installed/lib/fallback/"*) ;;
*) fail "the window did not take the bundle's C++ runtime on an older system" ;;
esac
close_window "$window"
rm "$lib_dir"/libstdc++.so.6*
mv "$work/newer-runtime"/* "$lib_dir/"
chroot "$root" ldconfig

stage "upgrade and uninstall"
as_player sh -c "cd ~/Downloads && tar -xzf quenor-$newer_version-linux-x86_64.tar.gz &&
    cd quenor-$newer_version && ./install.sh" >"$out/upgrade.txt"
[ "$(cat "$root$installed/VERSION")" = "$newer_version" ] || fail "install.sh did not upgrade"
[ -z "$(find "$root$home/.local/share" -maxdepth 1 -name '.quenor-*')" ] ||
    fail "the upgrade left a temporary folder"
as_player "$home/.local/bin/quenorctl" --prefix "$prefix_in_root" status >/dev/null ||
    fail "the upgraded quenorctl does not run"
as_player sh -c "cd ~/Downloads && rm -rf quenor-$newer_version"
as_player "$installed/install.sh" --uninstall | tee "$out/uninstall.txt"
home_list | grep -vE '^\./(\.local(/state(/quenor(/.*)?)?)?|\.config(/quenor(/.*)?)?|demo-prefix(/.*)?|decoys(/.*)?)$' \
    >"$work/home-after.txt" || true
grep -vE '^\./(demo-prefix|decoys)(/.*)?$' "$work/home-before.txt" >"$work/home-before-kept.txt" || true
diff "$work/home-before-kept.txt" "$work/home-after.txt" ||
    fail "uninstall left the home otherwise than it was before the installation"
[ -s "$root$home/.local/state/quenor/quenor.log" ] || fail "uninstall removed the player's log"

stage "quenorctl with nothing but the C library"
bare="$work/bare"
mkdir -p "$bare/bin" "$bare/lib64" "$bare/lib/x86_64-linux-gnu" "$bare/home"
tar -xzf "$tarball" -C "$work" "quenor-$version/bin/quenorctl"
cp "$work/quenor-$version/bin/quenorctl" "$bare/bin/"
cp -L "$root/lib64/ld-linux-x86-64.so.2" "$bare/lib64/"
for library in libc.so.6 libm.so.6; do
    cp -L "$root/usr/lib/x86_64-linux-gnu/$library" "$bare/lib/x86_64-linux-gnu/"
done
cp -a "$work/demo-prefix" "$bare/prefix"
chown -R "$player:$player" "$bare/home" "$bare/prefix"
env -i HOME=/home PATH=/bin "$(command -v chroot)" --userspec="$player:$player" "$bare" /bin/quenorctl \
    --prefix /prefix status \
    >"$out/bare-status.txt" 2>&1 || { cat "$out/bare-status.txt"; fail "status failed"; }
cat "$out/bare-status.txt"
stage "done"
echo "check-portable: every check passed in $(($(date +%s) - started)) s"

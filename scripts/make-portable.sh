#!/usr/bin/env bash
# Makes the portable bundle for the Steam Deck and any other x86-64 Linux with glibc 2.36 or
# newer: OUTDIR/quenor-VERSION-linux-x86_64.tar.gz, which unpacks into quenor-VERSION/:
#   bin/quenorctl, bin/quenor-viv   linked statically but for the C library
#   bin/quenor                      opens the window, bin/quenor-window, with the C++ runtime
#                                   of the bundle where the system's is older (lib/fallback)
#   lib/                            Qt, its plugins (lib/plugins) and every library they need
#                                   that a desktop cannot be relied on to have
#   share/                          the menu entry, icons, manual pages, the font the window's
#                                   layout is measured with, the licences (share/doc/quenor)
#   install.sh, README.md, LICENSE, VERSION
# From the release build of the portable preset (build/portable), built or brought up to date
# first. Installs the Debian packages it needs. Two runs on one commit give the same bytes.
#   scripts/make-portable.sh [--version VERSION] OUTDIR
# --version names the bundle another version than the project's (a test of upgrades uses it).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
version=""
if [ "${1:-}" = "--version" ]; then
    version="$2"
    shift 2
fi
[ $# -eq 1 ] || {
    echo "usage: scripts/make-portable.sh [--version VERSION] OUTDIR" >&2
    exit 2
}
mkdir -p "$1"
out="$(cd "$1" && pwd)"
fail() {
    echo "make-portable: $*" >&2
    exit 1
}

scripts/install-deps.sh cmake ninja-build g++ qt6-base-dev libfontconfig-dev qt6-qpa-plugins \
    qt6-wayland libyaml-cpp-dev libcli11-dev nlohmann-json3-dev libssl-dev libxcb-randr0-dev \
    fonts-liberation \
    binutils dpkg gzip tar
build="$root/build/portable"
cmake --preset portable >/dev/null
cmake --build --preset portable
[ -n "$version" ] || version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
[ -n "$version" ] || fail "no version in $build/CMakeCache.txt"
epoch="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}"

work="$(mktemp -d "${TMPDIR:-/tmp}/quenor-portable.XXXXXX")"
trap 'rm -rf "$work"' EXIT
name="quenor-$version"
stage="$work/$name"
cmake --install "$build" --prefix "$stage" --strip >/dev/null
mv "$stage/bin/quenor" "$stage/bin/quenor-window"

# Qt's plugins the window loads: the display platforms (X11, Wayland, and offscreen for
# checks without a display), input methods, and what the xcb and Wayland platforms load.
qt_plugins="$(dirname "$(readlink -f /usr/lib/x86_64-linux-gnu/libQt6Core.so.6)")/qt6/plugins"
[ -d "$qt_plugins" ] || fail "Qt's plugins are not in $qt_plugins"
mkdir -p "$stage/lib/plugins"
for plugin in platforms/libqxcb.so platforms/libqwayland-egl.so platforms/libqwayland-generic.so \
    platforms/libqoffscreen.so platforminputcontexts xcbglintegrations wayland-shell-integration \
    wayland-decoration-client wayland-graphics-integration-client; do
    [ -e "$qt_plugins/$plugin" ] || fail "the Qt plugin $plugin is missing (Debian: qt6-wayland)"
    mkdir -p "$stage/lib/plugins/$(dirname "$plugin")"
    cp -R "$qt_plugins/$plugin" "$stage/lib/plugins/$(dirname "$plugin")/"
done
cp packaging/portable/qt.conf "$stage/bin/qt.conf"

# Every library the window and the plugins load, but those every desktop has: the C library
# and its loader, the graphics drivers and their dispatchers, Xlib and the core xcb, fontconfig,
# FreeType and zlib. Bundling these breaks on other systems: they must match the system's
# drivers, X server and font configuration.
left_out() {
    case "$1" in
    linux-vdso.so.* | ld-linux-x86-64.so.* | libc.so.* | libm.so.* | libdl.so.* | \
        libpthread.so.* | librt.so.* | libresolv.so.* | libGL.so.* | libEGL.so.* | libGLX.so.* | \
        libOpenGL.so.* | libGLdispatch.so.* | libdrm.so.* | libgbm.so.* | libX11.so.* | \
        libX11-xcb.so.* | libxcb.so.* | libfontconfig.so.* | libfreetype.so.* | libz.so.*)
        return 0
        ;;
    esac
    return 1
}
elves=("$stage/bin/quenor-window")
while IFS= read -r -d '' plugin; do elves+=("$plugin"); done < <(find "$stage/lib/plugins" -name '*.so' -print0)
ldd "${elves[@]}" >"$work/ldd.txt" || fail "ldd failed"
if grep -q 'not found' "$work/ldd.txt"; then
    grep 'not found' "$work/ldd.txt" >&2
    fail "the window needs libraries this machine lacks"
fi
: >"$work/bundled.txt"
: >"$work/left-out.txt"
mkdir -p "$stage/lib/fallback"
while read -r soname path; do
    if left_out "$soname"; then
        echo "$soname" >>"$work/left-out.txt"
        continue
    fi
    case "$soname" in
    libstdc++.so.6 | libgcc_s.so.1) target="$stage/lib/fallback/$soname" ;;
    *) target="$stage/lib/$soname" ;;
    esac
    cp -L "$path" "$target"
    chmod 644 "$target"
    echo "$soname $(readlink -f "$path")" >>"$work/bundled.txt"
done < <(awk '$2 == "=>" && $3 ~ /^\// { print $1, $3 }' "$work/ldd.txt" | sort -u)

# glvnd's libOpenGL.so.0, which Qt's GUI library needs and a system with the GL drivers may
# lack: carried apart, in lib/opengl-fallback, which the wrapper uses only where the loader
# finds none (the system's dispatcher must be the one loaded wherever there is one).
opengl="$(awk '$1 == "libOpenGL.so.0" && $3 ~ /^\// { print $3; exit }' "$work/ldd.txt")"
[ -n "$opengl" ] || fail "the window needs no libOpenGL.so.0 (Debian: libopengl0)?"
mkdir -p "$stage/lib/opengl-fallback"
cp -L "$opengl" "$stage/lib/opengl-fallback/libOpenGL.so.0"
chmod 644 "$stage/lib/opengl-fallback/libOpenGL.so.0"
echo "libOpenGL.so.0 $(readlink -f "$opengl")" >>"$work/bundled.txt"

# The newest C++ runtime version the window and its libraries need: the wrapper compares the
# system's with it.
glibcxx="$(find "$stage/bin/quenor-window" "$stage/lib" -path "$stage/lib/fallback" -prune -o \
    -type f -print0 | xargs -0 objdump -T 2>/dev/null | grep -oE 'GLIBCXX_[0-9.]+' | sort -uV |
    tail -1)"
[ -n "$glibcxx" ] || fail "found no GLIBCXX_ version the window needs"
sed "s/@GLIBCXX_NEEDED@/$glibcxx/g" packaging/portable/quenor.sh.in >"$stage/bin/quenor"
chmod 755 "$stage/bin/quenor"

# The font the window's layout is measured with.
mkdir -p "$stage/share/quenor/fonts"
for style in Regular Bold Italic BoldItalic; do
    font="/usr/share/fonts/truetype/liberation/LiberationSans-$style.ttf"
    cp "$font" "$stage/share/quenor/fonts/"
    echo "font $font" >>"$work/bundled.txt"
done

# Licences: Quenor's, and the Debian copyright file of each package a bundled file comes from.
licences="$stage/share/doc/quenor/licences"
mkdir -p "$licences"
while read -r _ file; do
    # Debian 12 merged /lib into /usr/lib; dpkg knows some files by their older name.
    package="$( (dpkg-query -S "$file" || dpkg-query -S "${file#/usr}") 2>/dev/null |
        head -1 | cut -d: -f1)" || true
    [ -n "$package" ] || fail "no Debian package owns $file"
    echo "$package" >>"$work/packages.txt"
done <"$work/bundled.txt"
for plugin_package in qt6-qpa-plugins qt6-wayland; do echo "$plugin_package" >>"$work/packages.txt"; done
# What is linked into the programs: yaml-cpp and libcrypto (all three programs), the C++
# runtime, libxcb with RandR and what it needs (quenorctl and quenor-viv).
linked_in="libyaml-cpp-dev libssl-dev libstdc++-12-dev libgcc-12-dev libxcb1-dev libxcb-randr0-dev libxau-dev libxdmcp-dev"
for package in $linked_in; do
    [ -f "/usr/share/doc/$package/copyright" ] || fail "no licence of $package (Debian: $package)"
    echo "$package" >>"$work/packages.txt"
done
sort -u "$work/packages.txt" | while read -r package; do
    cp "/usr/share/doc/$package/copyright" "$licences/$package.txt"
done
{
    echo "Quenor $version, portable bundle for x86-64 Linux."
    echo
    echo "Quenor is under the MIT licence (LICENSE). The bundle also carries files of these"
    echo "Debian 12 packages, or has them linked into its programs ($linked_in),"
    echo "each under the licence its file here states:"
    sort -u "$work/packages.txt" | sed 's/^/  /'
    echo
    echo "Left out, since every desktop has them and they must match its own:"
    sort -u "$work/left-out.txt" | sed 's/^/  /'
} >"$licences/README"
cp README.md LICENSE "$stage/"
cp packaging/portable/install.sh "$stage/install.sh"
chmod 755 "$stage/install.sh"
echo "$version" >"$stage/VERSION"

# Nothing of the build machine: every ELF file's run path lies inside the bundle, and no file
# needs a newer C library or C++ runtime than Debian 12's (SteamOS 3.5 has as new).
scripts/check-self-contained.sh --static "$stage/bin/quenorctl" "$stage/bin/quenor-viv"
scripts/check-self-contained.sh --bundle "$stage"

# The same bytes from the same source: fixed times, owners, modes and order.
find "$stage" -type d -exec chmod 755 {} +
find "$stage" -type f -exec chmod go-w,a+r {} +
find "$stage" -exec touch -h -d "@$epoch" {} +
tarball="$out/$name-linux-x86_64.tar.gz"
tar -C "$work" --sort=name --owner=0 --group=0 --numeric-owner --mtime="@$epoch" \
    --format=gnu -cf - "$name" | gzip -9n >"$tarball.new"
mv "$tarball.new" "$tarball"
echo "Bundled: $(cut -d' ' -f1 "$work/bundled.txt" | grep -v '^font$' | tr '\n' ' ')"
echo "Left out: $(sort -u "$work/left-out.txt" | tr '\n' ' ')"
echo "$tarball: $(du -k "$tarball" | cut -f1) KiB, $(du -sk "$stage" | cut -f1) KiB unpacked"

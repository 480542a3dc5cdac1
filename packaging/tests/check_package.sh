#!/bin/sh
# Builds the Debian package of a build folder and checks it as a distribution would: every
# program, manual page, licence and desktop file is in it, and lintian reports no errors
# (its warnings and notes are printed).
#   check_package.sh BUILD_DIR SCRATCH_DIR
set -eu
build="$1"
work="$2"
rm -rf "$work"
mkdir -p "$work"
if ! cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    exit 1
fi
deb="$(ls "$work"/quenor_*.deb)"
dpkg-deb -c "$deb" | awk '{ print $NF }' >"$work/contents.txt"
missing=0
for path in usr/bin/quenor usr/bin/quenorctl usr/bin/quenor-viv \
    usr/share/man/man1/quenor.1.gz usr/share/man/man1/quenorctl.1.gz \
    usr/share/man/man1/quenor-viv.1.gz usr/share/doc/quenor/copyright \
    usr/share/doc/quenor/changelog.gz usr/share/applications/quenor.desktop \
    usr/share/metainfo/io.github.quenor.quenor.metainfo.xml \
    usr/share/icons/hicolor/48x48/apps/quenor.png usr/share/icons/hicolor/64x64/apps/quenor.png \
    usr/share/icons/hicolor/128x128/apps/quenor.png \
    usr/share/icons/hicolor/256x256/apps/quenor.png; do
    if ! grep -qx "\./$path" "$work/contents.txt"; then
        echo "missing from $(basename "$deb"): /$path"
        missing=1
    fi
done
[ "$missing" = 0 ] || exit 1
echo "lintian $(basename "$deb"):"
lintian --fail-on error --no-tag-display-limit "$deb"

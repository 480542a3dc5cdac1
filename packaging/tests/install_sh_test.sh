#!/usr/bin/env bash
# The portable bundle's install.sh as an ordinary user would meet it, on a stand-in bundle (the
# installer, its folders and stand-in programs) in scratch homes:
#   - its lock lies in XDG_RUNTIME_DIR, is never emptied, a link there is refused, and
#     uninstall removes it;
#   - XDG_DATA_HOME gets the menu entry and icons, and the installer says where;
#   - a home with % " $ ` and \ in its path gets a menu entry desktop-file-validate accepts,
#     whose Exec and TryExec name the program;
#   - ~/.local/bin a plain file, or a read-only applications folder: refused before anything
#     is written, saying so;
#   - --prefix without HOME installs and uninstalls;
#   - "sh install.sh" works;
#   - an older bundle refuses to replace a newer installation unless --force.
# Each refusal leaves the home exactly as it was. Run as root, it makes a scratch user and runs
# as that user (root may write where a player may not).
#   install_sh_test.sh INSTALL_SH DESKTOP_FILE WORK
set -euo pipefail
installer="$(readlink -f "$1")" desktop_file="$(readlink -f "$2")" work="$3"
fail() {
    echo "install_sh_test: $*" >&2
    exit 1
}
if [ "$(id -u)" -eq 0 ]; then
    user=quenor-install-test
    id "$user" >/dev/null 2>&1 || useradd -M -s /bin/bash "$user" ||
        { echo "no scratch user could be made; skipped" >&2; exit 77; }
    rm -rf "$work"
    mkdir -p "$work"
    cp "$installer" "$work/install.sh"
    cp "$desktop_file" "$0" "$work/"
    chown -R "$user" "$work"
    exec setpriv --reuid="$user" --regid="$(id -g "$user")" --init-groups \
        env -i PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 \
        bash "$work/$(basename "$0")" "$work/install.sh" "$work/$(basename "$desktop_file")" \
        "$work/run"
fi
command -v desktop-file-validate >/dev/null || fail "desktop-file-validate is missing (Debian: desktop-file-utils)"
rm -rf "$work"
mkdir -p "$work"

# A stand-in bundle of a version: the installer and what it copies.
make_bundle() {
    local bundle="$work/bundles/quenor-$1"
    mkdir -p "$bundle/bin" "$bundle/share/applications" "$bundle/share/man/man1" \
        "$bundle/share/icons/hicolor/32x32/apps"
    for program in quenor quenorctl quenor-viv; do
        printf '#!/bin/sh\necho %s\n' "$program" >"$bundle/bin/$program"
        chmod 755 "$bundle/bin/$program"
    done
    cp "$installer" "$bundle/install.sh"
    cp "$desktop_file" "$bundle/share/applications/quenor.desktop"
    echo page | gzip >"$bundle/share/man/man1/quenorctl.1.gz"
    echo png >"$bundle/share/icons/hicolor/32x32/apps/quenor.png"
    echo "$1" >"$bundle/VERSION"
    echo "$bundle"
}
bundle="$(make_bundle 1.0)"
older="$(make_bundle 0.9)"

# A scratch home of its own for each case; its listing, to compare before and after.
new_home() {
    local home="$work/homes/$1"
    mkdir -p "$home" "$work/runtime/$1"
    chmod 700 "$work/runtime/$1"
    echo "$home"
}
listing() { (cd "$1" && find . -printf '%p %y %m\n' | LC_ALL=C sort); }
# The installer in a home, in a clean environment: install.sh ARGUMENTS...
install_in() {
    local home="$1" name="$2"
    shift 2
    env -i PATH="$PATH" HOME="$home" XDG_RUNTIME_DIR="$work/runtime/$name" "$@"
}
refused() {
    local home="$1" what="$2" said="$3"
    shift 3
    local before
    before="$(listing "$home")"
    if "$@" >"$work/out" 2>&1; then fail "$what: install.sh did not refuse"; fi
    grep -q -- "$said" "$work/out" || { cat "$work/out"; fail "$what: no \"$said\""; }
    grep -q "Nothing was changed" "$work/out" || { cat "$work/out"; fail "$what: not said"; }
    [ "$(listing "$home")" = "$before" ] || fail "$what: the home changed"
}

# The lock: a link planted where it goes is refused; the lock is never emptied; uninstall
# removes it.
home="$(new_home lock)"
notes="$home/notes.txt"
echo "the player's notes" >"$notes"
ln -s "$notes" "$work/runtime/lock/quenor-install.lock"
refused "$home" "a planted lock link" "is a link" install_in "$home" lock "$bundle/install.sh"
[ "$(cat "$notes")" = "the player's notes" ] || fail "the planted link's file was emptied"
rm "$work/runtime/lock/quenor-install.lock"
install_in "$home" lock "$bundle/install.sh" >/dev/null
[ -f "$work/runtime/lock/quenor-install.lock" ] || fail "no lock in XDG_RUNTIME_DIR"
install_in "$home" lock "$home/.local/share/quenor/install.sh" --uninstall >/dev/null
[ ! -e "$work/runtime/lock/quenor-install.lock" ] || fail "uninstall left the lock"

# XDG_DATA_HOME.
home="$(new_home data)"
install_in "$home" data XDG_DATA_HOME="$home/desktop-data" "$bundle/install.sh" >"$work/out"
[ -f "$home/desktop-data/applications/quenor.desktop" ] || fail "no menu entry in XDG_DATA_HOME"
[ -L "$home/desktop-data/icons/hicolor/32x32/apps/quenor.png" ] || fail "no icon in XDG_DATA_HOME"
[ ! -e "$home/.local/share/applications/quenor.desktop" ] || fail "a menu entry in ~/.local/share"
grep -qF "$home/desktop-data/applications/quenor.desktop" "$work/out" || fail "not said where"
install_in "$home" data XDG_DATA_HOME="$home/desktop-data" \
    "$home/.local/share/quenor/install.sh" --uninstall >/dev/null
[ ! -e "$home/desktop-data/applications/quenor.desktop" ] || fail "uninstall left the entry"

# A home whose path holds what the Desktop Entry format escapes.
home="$(new_home 'x 50% off "$odd" `b` \c')"
install_in "$home" 'x 50% off "$odd" `b` \c' "$bundle/install.sh" >/dev/null
entry="$home/.local/share/applications/quenor.desktop"
desktop-file-validate "$entry" || fail "the menu entry of an odd home is not valid"
# Each of \ " ` $ gets a backslash inside the quotes, % is doubled, then every backslash is
# doubled as in any string value.
grep -qxF 'Exec="'"$work"'/homes/x 50%% off \\"\\$odd\\" \\`b\\` \\\\c/.local/share/quenor/bin/quenor"' "$entry" ||
    { cat "$entry"; fail "Exec is not escaped as the format wants"; }
grep -qxF 'TryExec='"$work"'/homes/x 50% off "$odd" `b` \\c/.local/share/quenor/bin/quenor' "$entry" ||
    { cat "$entry"; fail "TryExec is not escaped as the format wants"; }

# Places it may not write: refused before anything is copied.
home="$(new_home file-bin)"
mkdir -p "$home/.local"
echo "not a folder" >"$home/.local/bin"
refused "$home" "~/.local/bin a file" "is not a folder" install_in "$home" file-bin "$bundle/install.sh"
home="$(new_home read-only)"
mkdir -p "$home/.local/share/applications"
chmod 555 "$home/.local/share/applications"
refused "$home" "a read-only applications folder" "may not be written" \
    install_in "$home" read-only "$bundle/install.sh"
chmod 755 "$home/.local/share/applications"

# --prefix without HOME.
prefix="$work/prefix"
env -i PATH="$PATH" "$bundle/install.sh" --prefix "$prefix" >"$work/out" 2>&1 ||
    { cat "$work/out"; fail "--prefix without HOME failed"; }
env -i PATH="$PATH" "$prefix/share/quenor/install.sh" --prefix "$prefix" --uninstall \
    >"$work/out" 2>&1 || { cat "$work/out"; fail "uninstall without HOME failed"; }
[ ! -e "$prefix/share/quenor" ] || fail "uninstall without HOME left the programs"

# sh install.sh.
home="$(new_home sh)"
install_in "$home" sh sh "$bundle/install.sh" >/dev/null || fail "sh install.sh failed"
[ -L "$home/.local/bin/quenorctl" ] || fail "sh install.sh did not install"

# An older bundle over a newer installation.
refused "$home" "a downgrade" "newer than this bundle's 0.9" install_in "$home" sh "$older/install.sh"
install_in "$home" sh "$older/install.sh" --force >/dev/null
[ "$(cat "$home/.local/share/quenor/VERSION")" = 0.9 ] || fail "--force did not install 0.9"

echo "install_sh_test: passed"

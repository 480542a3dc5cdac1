#!/usr/bin/env bash
# Installs Quenor from this folder for the user who runs it, without root:
#   the programs         ~/.local/share/quenor (this folder, copied)
#   on the PATH          ~/.local/bin/quenor, quenorctl and quenor-viv (links)
#   the menu entry       ~/.local/share/applications/quenor.desktop, and the icons
#   manual pages         ~/.local/share/man/man1 (links)
#   Flatpak Steam        ~/.var/app/com.valvesoftware.Steam/.local/share/quenor/bin/quenorctl,
#                        which that sandbox sees as ~/.local/share/quenor/bin/quenorctl
# Everything lies below the home, so a system update (SteamOS replaces its root) leaves it
# alone. Run again from a newer version, it upgrades in place.
#
#   ./install.sh [--prefix DIR] [--force]     install (DIR instead of ~/.local); --force
#                                             installs over a newer version
#   ./install.sh [--prefix DIR] --uninstall   remove exactly what it installed
# The menu entry and icons go where the desktop looks: $XDG_DATA_HOME when set (without
# --prefix), else ~/.local/share.

# Written for bash: "sh install.sh" runs it again with bash.
if [ -z "${BASH_VERSION:-}" ]; then
    if command -v bash >/dev/null 2>&1; then exec bash "$0" "$@"; fi
    echo "install.sh: run it with bash (bash install.sh); nothing was changed." >&2
    exit 1
fi
set -euo pipefail

usage() {
    sed -n 's/^#   //p' "$0" | sed -n '/install.sh/p'
}
say() { printf '%s\n' "$*"; }
fail() {
    printf 'install.sh: %s\n' "$*" >&2
    exit 1
}

prefix=""
uninstall=0
force=0
while [ $# -gt 0 ]; do
    case "$1" in
    --prefix)
        [ $# -ge 2 ] || fail "--prefix needs a folder"
        prefix="$2"
        shift 2
        ;;
    --prefix=*)
        prefix="${1#--prefix=}"
        shift
        ;;
    --uninstall)
        uninstall=1
        shift
        ;;
    --force)
        force=1
        shift
        ;;
    -h | --help)
        usage
        exit 0
        ;;
    *)
        usage >&2
        fail "unknown argument: $1"
        ;;
    esac
done

if [ "$(id -u)" -eq 0 ] && [ -z "$prefix" ]; then
    fail "run it as the player who plays NHL 09, not as root: it installs below that player's" \
        "home. To install for every user, name the place: --prefix /opt/quenor (or /usr/local)."
fi
prefix_given="$prefix"
if [ -z "$prefix" ]; then
    [ -n "${HOME:-}" ] && [ "${HOME#/}" != "$HOME" ] || fail "HOME is not set to a folder"
    prefix="$HOME/.local"
fi
case "$prefix" in
/*) ;;
*) prefix="$PWD/$prefix" ;;
esac
prefix="${prefix%/}"

data="$prefix/share/quenor"
# Where the desktop looks for menu entries and icons: $XDG_DATA_HOME for the player's own
# installation (an absolute path, as the specification wants), else below the prefix.
desktop_data="$prefix/share"
xdg_data_home="${XDG_DATA_HOME:-}"
if [ -z "$prefix_given" ] && [ -n "$xdg_data_home" ] && [ "${xdg_data_home#/}" != "$xdg_data_home" ]; then
    desktop_data="${xdg_data_home%/}"
fi
manifest="$data/.installed-files"
marker=".quenor-installed"
programs=(quenor quenorctl quenor-viv)
icon_sizes=(32x32 48x48 64x64 128x128 256x256)
flatpak_steam=""
if [ "$(id -u)" -ne 0 ] && [ -n "${HOME:-}" ] && [ -d "${HOME:-}/.var/app/com.valvesoftware.Steam" ]; then
    flatpak_steam="$HOME/.var/app/com.valvesoftware.Steam"
fi

# What an installation put outside its own folder, one line each: "dir PATH" for a folder it
# made, "link PATH" and "file PATH" for what it placed.
installed_entries() {
    [ -f "$manifest" ] && cat "$manifest"
    return 0
}

# True when PATH is a link into the programs' folder.
links_into_data() {
    [ -L "$1" ] || return 1
    case "$(readlink "$1")" in
    "$data"/*) return 0 ;;
    *) return 1 ;;
    esac
}

# Removes what ENTRIES lists (manifest lines), when it is still what the installation put
# there, and the programs' folder; then the folders it made, deepest first, when they are
# empty again.
remove_installation() {
    local entries="$1" kind path
    local -a folders=()
    while read -r kind path; do
        case "$kind" in
        link) if links_into_data "$path"; then rm -f "$path"; fi ;;
        file) if [ -f "$path" ]; then rm -f "$path"; fi ;;
        dir) folders+=("$path") ;;
        esac
    done <<<"$entries"
    rm -rf "$data"
    local folder
    while read -r folder; do
        if [ -n "$folder" ]; then rmdir "$folder" 2>/dev/null || true; fi
    done < <(printf '%s\n' "${folders[@]+"${folders[@]}"}" | awk '{ print length($0) "\t" $0 }' |
        sort -rn | cut -f2-)
}

where_the_players_files_are() {
    local state="${XDG_STATE_HOME:-${HOME:-~}/.local/state}/quenor"
    local config="${XDG_CONFIG_HOME:-${HOME:-~}/.config}/quenor"
    say "The player's own files stay where they are:"
    say "  the log, and what Quenor found:  $state"
    say "  the settings:                    the game's Wine prefix (Software\\Olm\\Quenor), or"
    say "                                   $config without a game"
    say "  the originals of each game:      .quenor/originals in its Wine prefix (quenorctl restore)"
}

# One installer at a time for this user: a second waits for the first. The lock lies where
# only this user may write ($XDG_RUNTIME_DIR, else beside the installation), and is opened
# without emptying it; a link there, which someone else may have planted, is refused.
lock=""
if [ -n "${XDG_RUNTIME_DIR:-}" ] && [ -d "$XDG_RUNTIME_DIR" ] && [ -O "$XDG_RUNTIME_DIR" ] &&
    [ -w "$XDG_RUNTIME_DIR" ]; then
    lock="$XDG_RUNTIME_DIR/quenor-install.lock"
elif [ -d "$prefix" ] && [ -w "$prefix" ]; then
    lock="$prefix/.quenor-install.lock"
fi
if [ -n "$lock" ] && command -v flock >/dev/null 2>&1; then
    if [ -L "$lock" ] || { [ -e "$lock" ] && [ ! -f "$lock" ]; }; then
        fail "$lock, the installer's lock, is a link or not a file: remove it, then run" \
            "install.sh again. Nothing was changed."
    fi
    exec 9<>"$lock"
    flock 9
fi
# What a run that was killed left: its half copy goes, and an earlier copy it had moved aside
# comes back (or goes, when the new one was already in place).
for left in "$prefix/share"/.quenor-new.*; do
    if [ -d "$left" ]; then rm -rf "$left"; fi
done
for left in "$prefix/share"/.quenor-old.*; do
    [ -d "$left" ] || continue
    if [ ! -e "$data" ] && [ -d "$left/quenor" ]; then mv "$left/quenor" "$data"; fi
    rm -rf "$left"
done

if [ "$uninstall" -eq 1 ]; then
    [ -f "$manifest" ] || fail "Quenor is not installed in $data (nothing to remove)"
    remove_installation "$(cat "$manifest")"
    [ -n "$lock" ] && rm -f "$lock"
    say "Quenor is removed from $prefix."
    where_the_players_files_are
    exit 0
fi

source_folder="$(cd "$(dirname "$0")" && pwd -P)"
for program in "${programs[@]}"; do
    [ -x "$source_folder/bin/$program" ] ||
        fail "$source_folder is not an unpacked Quenor bundle (bin/$program is missing)"
done
version="$(cat "$source_folder/VERSION" 2>/dev/null || echo unknown)"

# Nothing that is not Quenor's own is replaced: a program of the same name in the bin folder
# (another copy, installed by hand) stops the installation before anything is written.
for program in "${programs[@]}"; do
    link="$prefix/bin/$program"
    if { [ -e "$link" ] || [ -L "$link" ]; } && ! links_into_data "$link"; then
        fail "$link is there already and is not Quenor's link: move it away, or install" \
            "elsewhere with --prefix. Nothing was changed."
    fi
done
if [ -e "$data" ] && [ ! -f "$manifest" ]; then
    fail "$data is there already and was not made by this installer: move it away, or install" \
        "elsewhere with --prefix. Nothing was changed."
fi
desktop="$desktop_data/applications/quenor.desktop"
if [ -e "$desktop" ] && ! grep -q '^X-Quenor-Installed-By=install.sh$' "$desktop"; then
    fail "$desktop is there already and was not written by this installer: move it away, or" \
        "install elsewhere with --prefix. Nothing was changed."
fi
# An older bundle does not replace a newer installation unless told to.
installed_version="$(cat "$data/VERSION" 2>/dev/null || true)"
if [ -f "$manifest" ] && [ -n "$installed_version" ] && [ "$force" -eq 0 ] &&
    [ "$installed_version" != "$version" ] &&
    [ "$(printf '%s\n%s\n' "$installed_version" "$version" | sort -V | tail -n 1)" = "$installed_version" ]; then
    fail "Quenor $installed_version is installed in $data, newer than this bundle's $version." \
        "Nothing was changed. To go back to $version, run install.sh --force."
fi
# Every folder it will write into, before it writes anything: each must be a folder this user
# may write, or one it may make.
writable() {
    local folder="$1"
    while [ ! -e "$folder" ] && [ ! -L "$folder" ]; do folder="$(dirname "$folder")"; done
    if [ ! -d "$folder" ]; then
        fail "$folder is not a folder, so Quenor cannot be installed below it: move it away," \
            "or install elsewhere with --prefix. Nothing was changed."
    fi
    if [ ! -w "$folder" ] || [ ! -x "$folder" ]; then
        fail "$folder may not be written by $(id -un 2>/dev/null || id -u): make it writable," \
            "or install elsewhere with --prefix. Nothing was changed."
    fi
}
for folder in "$prefix/share" "$prefix/bin" "$prefix/share/man/man1" \
    "$desktop_data/applications" "$desktop_data/icons/hicolor"; do
    writable "$folder"
done
if [ -n "$flatpak_steam" ]; then writable "$flatpak_steam/.local/share/quenor/bin"; fi

# The entries of an earlier installation carry over (the folders it made, and what it placed
# that this version may no longer place), then this one's are added.
entries="$(mktemp "${TMPDIR:-/tmp}/quenor-install.XXXXXX")"
installed_entries >"$entries"
fresh=""      # the new copy while it is made
in_place=0    # 1 once the programs' folder is this version's: its list is kept from then on
made_now=()   # the folders this run made, in the order made
# A run that stops (a full disk, a folder it may not write) leaves no half copy and no folder
# it made for nothing; once the new copy is in place its list names all it made so far, so that
# --uninstall still removes it.
finish() {
    local status=$? i
    if [ "$status" -ne 0 ]; then
        if [ -n "$fresh" ]; then rm -rf "$fresh"; fi
        # Stopped between the two renames: the earlier copy goes back.
        if [ -n "${earlier:-}" ] && [ ! -e "$data" ] && [ -d "$earlier/quenor" ]; then
            mv "$earlier/quenor" "$data" && rmdir "$earlier"
        fi
        if [ "$in_place" -eq 0 ]; then
            for ((i = ${#made_now[@]} - 1; i >= 0; i--)); do rmdir "${made_now[i]}" 2>/dev/null || true; done
            echo "install.sh: the installation stopped (the reason is above); nothing of it stays," \
                "and an earlier installation is as it was." >&2
        else
            echo "install.sh: the installation stopped (the reason is above) after the programs" \
                "were in place; run it again, or $data/install.sh --uninstall." >&2
        fi
    fi
    rm -f "$entries"
}
trap finish EXIT
save_list() {
    if [ "$in_place" -eq 1 ]; then sort -u "$entries" >"$manifest"; fi
}
make_folder() {
    local folder="$1" parent
    [ -d "$folder" ] && return 0
    parent="$(dirname "$folder")"
    make_folder "$parent"
    mkdir "$folder"
    made_now+=("$folder")
    echo "dir $folder" >>"$entries"
    save_list
}
note() {
    echo "$1 $2" >>"$entries"
    save_list
}

# The programs' folder, replaced as a whole: the new copy is made beside it and renamed into
# its place, so a cut-off installation leaves the earlier one working.
make_folder "$prefix/share"
if [ "$source_folder" != "$(cd "$data" 2>/dev/null && pwd -P || true)" ]; then
    fresh="$(mktemp -d "$prefix/share/.quenor-new.XXXXXX")"
    cp -R "$source_folder/." "$fresh/"
    printf 'Written by install.sh: the programs of this folder keep their log in %s.\n' \
        "${XDG_STATE_HOME:-\$HOME/.local/state}/quenor" >"$fresh/bin/$marker"
    chmod 755 "$fresh"
    sort -u "$entries" >"$fresh/.installed-files"
    earlier=""
    if [ -d "$data" ]; then
        earlier="$(mktemp -d "$prefix/share/.quenor-old.XXXXXX")"
        mv "$data" "$earlier/quenor"
        mv "$fresh" "$data"
        rm -rf "$earlier"
    else
        mv "$fresh" "$data"
    fi
    fresh=""
fi
in_place=1
save_list

# The programs on the PATH.
make_folder "$prefix/bin"
for program in "${programs[@]}"; do
    ln -sfn "$data/bin/$program" "$prefix/bin/$program"
    note link "$prefix/bin/$program"
done
# Manual pages.
make_folder "$prefix/share/man/man1"
for page in "$data"/share/man/man1/*.1.gz; do
    ln -sfn "$page" "$prefix/share/man/man1/$(basename "$page")"
    note link "$prefix/share/man/man1/$(basename "$page")"
done
# The menu entry with absolute paths (Steam's "Add a Non-Steam Game" lists it too), and the
# icons it names.
make_folder "$desktop_data/applications"
# As the Desktop Entry specification wants it: Exec's program in double quotes (a home may
# hold blanks) with \ " ` $ escaped inside them and % written %%, then, as for every string
# value, each \ written \\; TryExec is a plain string, with the general escapes only.
general_escapes() { sed -e 's/\\/\\\\/g'; }
exec_path="$(printf '%s' "$data/bin/quenor" | sed -e 's/[\\"`$]/\\&/g' -e 's/%/%%/g' |
    general_escapes)"
try_exec="$(printf '%s' "$data/bin/quenor" | general_escapes)"
grep -v -e '^Exec=' -e '^TryExec=' "$data/share/applications/quenor.desktop" |
    grep -v '^$' >"$desktop.new"
{
    printf 'Exec="%s"\n' "$exec_path"
    printf 'TryExec=%s\nX-Quenor-Installed-By=install.sh\n' "$try_exec"
} >>"$desktop.new"
mv "$desktop.new" "$desktop"
note file "$desktop"
for size in "${icon_sizes[@]}"; do
    icon="$data/share/icons/hicolor/$size/apps/quenor.png"
    [ -f "$icon" ] || continue
    make_folder "$desktop_data/icons/hicolor/$size/apps"
    ln -sfn "$icon" "$desktop_data/icons/hicolor/$size/apps/quenor.png"
    note link "$desktop_data/icons/hicolor/$size/apps/quenor.png"
done
# Flatpak Steam's sandbox sees only its own folder as the home: quenorctl (which needs nothing
# but the C library) is copied there, to the path it has in the native installation.
if [ -n "$flatpak_steam" ]; then
    inside="$flatpak_steam/.local/share/quenor/bin"
    make_folder "$inside"
    cp "$data/bin/quenorctl" "$inside/quenorctl.new"
    mv "$inside/quenorctl.new" "$inside/quenorctl"
    cp "$data/bin/$marker" "$inside/$marker"
    note file "$inside/quenorctl"
    note file "$inside/$marker"
fi
save_list

ctl="$data/bin/quenorctl"
say "Quenor $version is installed in $data."
say "Its menu entry is $desktop."
say "Open it from the menu (Games), or run $prefix/bin/quenor."
case ":${PATH:-}:" in
*":$prefix/bin:"*) ;;
*) say "($prefix/bin is not on your PATH: use the full paths below.)" ;;
esac
say ""
say "To let a launcher bring NHL 09's settings in line before each start, paste:"
found=0
# One launcher's recipe: where to paste, and what.
recipe() {
    say "  $1"
    say "      $2"
    found=1
}
if [ -d "${HOME:-/nonexistent}/.steam/steam" ] || [ -d "${HOME:-/nonexistent}/.local/share/Steam" ]; then
    recipe "Steam: NHL 09's shortcut > Properties > Launch options:" "$ctl run --resolution screen -- %command%"
fi
if [ -n "$flatpak_steam" ]; then
    recipe "Steam (Flatpak): NHL 09's shortcut > Properties > Launch options:" \
        "$ctl run --resolution screen -- %command%"
fi
if [ -d "${HOME:-/nonexistent}/.config/lutris" ] || [ -d "${HOME:-/nonexistent}/.local/share/lutris" ]; then
    recipe "Lutris: the game's Configure > System options > Command prefix:" "$ctl run --resolution screen --"
fi
if [ -d "${HOME:-/nonexistent}/.config/heroic" ]; then
    recipe "Heroic: the game's Settings > Other > Wrapper command, and its arguments:" \
        "$ctl   run --resolution screen --"
fi
# Flatpak launchers see Quenor's folder once they may read it.
for app in net.lutris.Lutris com.heroicgameslauncher.hgl com.usebottles.bottles; do
    [ -d "${HOME:-/nonexistent}/.var/app/$app" ] || continue
    recipe "$app (Flatpak): first let its sandbox read Quenor's folder:" \
        "flatpak override --user --filesystem=$data:ro $app"
    case "$app" in
    net.lutris.Lutris) recipe "  then the game's Configure > System options > Command prefix:" "$ctl run --resolution screen --" ;;
    com.heroicgameslauncher.hgl) recipe "  then the game's Settings > Other > Wrapper command, and its arguments:" "$ctl   run --resolution screen --" ;;
    com.usebottles.bottles) recipe "  then the program's Launch options in the bottle:" "$ctl run --resolution screen -- %command%" ;;
    esac
done
if [ "$found" -eq 0 ]; then
    say "  (no launcher found) the command in front of the game's: $ctl run --resolution screen -- COMMAND"
fi
say ""
say "To remove it: $data/install.sh --uninstall"

#!/usr/bin/env bash
# Checks what programs need of the system they run on.
#   check-self-contained.sh --static PROGRAM...   each needs only libc, libm and the loader
#                                                  (readelf -d), no GLIBCXX_ version and no
#                                                  GLIBC_ version above 2.36
#   check-self-contained.sh --bundle FOLDER       every ELF file of an unpacked portable bundle
#                                                  has no run path but $ORIGIN/../lib, needs no
#                                                  GLIBC_ above 2.36 and, but for the C++
#                                                  runtime itself, no GLIBCXX_ above 3.4.30
# Prints what it checked; exits 1 at the first file that needs more.
set -euo pipefail
newest_glibc=2.36
newest_glibcxx=3.4.30
fail() {
    echo "check-self-contained: $*" >&2
    exit 1
}
is_elf() {
    [ "$(head -c 4 "$1" | od -An -c | tr -d ' ')" = '177ELF' ]
}
# The newest version of a family (GLIBC, GLIBCXX) that FILE's symbols need, or nothing.
newest_needed() {
    { objdump -T "$2" | grep -oE "\b$1_[0-9][0-9.]*" || true; } | sed "s/^$1_//" | sort -uV | tail -1
}
at_most() {
    [ "$(printf '%s\n%s\n' "$1" "$2" | sort -V | tail -1)" = "$2" ]
}
check_versions() {
    local file="$1" glibc glibcxx
    glibc="$(newest_needed GLIBC "$file")"
    if [ -n "$glibc" ] && ! at_most "$glibc" "$newest_glibc"; then
        fail "$file needs GLIBC_$glibc, above $newest_glibc"
    fi
    case "$file" in */lib/fallback/*) return 0 ;; esac
    glibcxx="$(newest_needed GLIBCXX "$file")"
    if [ -n "$glibcxx" ] && ! at_most "$glibcxx" "$newest_glibcxx"; then
        fail "$file needs GLIBCXX_$glibcxx, above $newest_glibcxx"
    fi
}

case "${1:-}" in
--static)
    shift
    for program in "$@"; do
        needed="$(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | sort)"
        for library in $needed; do
            case "$library" in
            libc.so.6 | libm.so.6 | ld-linux-x86-64.so.2) ;;
            *) fail "$program needs $library (all it needs: $(echo $needed))" ;;
            esac
        done
        if objdump -T "$program" | grep -qE '\b(GLIBCXX|CXXABI)_[0-9]'; then
            fail "$program needs the shared C++ runtime"
        fi
        check_versions "$program"
        echo "$(basename "$program"): needs $(echo $needed), GLIBC_$(newest_needed GLIBC "$program") at most"
    done
    ;;
--bundle)
    [ -d "${2:-}" ] || fail "--bundle needs the unpacked bundle's folder"
    count=0
    while IFS= read -r -d '' file; do
        is_elf "$file" || continue
        run_path="$(readelf -d "$file" | sed -n 's/.*(\(RPATH\|RUNPATH\)).*\[\(.*\)\]/\2/p')"
        case "$run_path" in
        "" | '$ORIGIN/../lib') ;;
        *) fail "$file has the run path $run_path" ;;
        esac
        check_versions "$file"
        count=$((count + 1))
    done < <(find "$2" -type f -print0)
    [ "$count" -gt 0 ] || fail "no program in $2"
    echo "$count ELF files: run paths only \$ORIGIN/../lib, GLIBC_ $newest_glibc and GLIBCXX_ $newest_glibcxx at most"
    ;;
*)
    sed -n '2,10s/^# \{0,1\}//p' "$0" >&2
    exit 2
    ;;
esac

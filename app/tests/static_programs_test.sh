#!/usr/bin/env bash
# quenorctl and quenor-viv linked statically but for the C library do what the programs linked
# against the system's shared libraries do:
#   - they need nothing but libc, libm and the loader, no GLIBCXX_ and no GLIBC_ above 2.36;
#   - they run with LD_PRELOAD naming a missing library and LD_LIBRARY_PATH naming empty files
#     in the place of the libraries they would otherwise load;
#   - on two copies of one demo prefix, apply, status --json and restore write the same log
#     lines (time stamps of the same shape), print the same, and leave the same archive,
#     registry files (key times aside) and kept originals; quenor-viv makes the same archive.
#   static_programs_test.sh SHARED_CTL STATIC_CTL SHARED_VIV STATIC_VIV WORK
set -euo pipefail
shared_ctl="$1" static_ctl="$2" shared_viv="$3" static_viv="$4" work="$5"
root="$(cd "$(dirname "$0")/../.." && pwd)"
fail() {
    echo "static_programs_test: $*" >&2
    exit 1
}
rm -rf "$work"
mkdir -p "$work"

# What each program needs of the system.
"$root/scripts/check-self-contained.sh" --static "$static_ctl" "$static_viv" >/dev/null

# A launcher's environment: libraries that must not be loaded.
mkdir -p "$work/decoys"
for name in libstdc++.so.6 libgcc_s.so.1 libyaml-cpp.so.0.7 libcrypto.so.3 libQt6Core.so.6; do
    : >"$work/decoys/$name"
done
hostile=(env LD_PRELOAD=libquenor-missing-preload.so LD_LIBRARY_PATH="$work/decoys")

# One run of each kind of program, each in a folder of its own (its log is kept beside it)
# on a prefix of its own. Times in the log become "#" so that only their shape is compared.
run_kind() {
    local kind="$1" ctl="$2" viv="$3"
    local dir="$work/$kind"
    mkdir -p "$dir/bin"
    cp "$ctl" "$dir/bin/quenorctl"
    cp "$viv" "$dir/bin/quenor-viv"
    QUENOR_VIV="$shared_viv" "$root/scripts/make-demo-prefix.sh" "$dir/prefix" >/dev/null 2>&1 ||
        fail "no demo prefix"
    local -a run=()
    [ "$kind" = static ] && run=("${hostile[@]}")
    (
        cd "$dir"
        export WINEPREFIX="$dir/prefix" HOME="$dir/home" LC_ALL=C.UTF-8 TZ=UTC
        mkdir -p "$HOME"
        "${run[@]}" bin/quenorctl apply --yes --resolution 1600x1000 --vsync off --fps high \
            >apply.out 2>&1 || { cat apply.out; exit 1; }
        "${run[@]}" bin/quenorctl status --json >status.json 2>status.err
        cp "prefix/drive_c/Program Files (x86)/EA Sports/NHL 09/preload/fmisc.viv" applied.viv
        "${run[@]}" bin/quenorctl restore >restore.out 2>&1 || { cat restore.out; exit 1; }
        "${run[@]}" bin/quenor-viv list applied.viv >viv-list.out
        mkdir -p extracted
        "${run[@]}" bin/quenor-viv extract applied.viv -o extracted >/dev/null
        "${run[@]}" bin/quenor-viv create remade.viv extracted/* --compress >/dev/null
    ) || fail "the $kind programs failed"
    # Times become "## stamp ##" (the log's, in the locale's form, and the originals' and
    # status's own), so that only their shape is compared; the run's own folder is named alike
    # in both; the loader's word on the missing preload is not the program's.
    mask() {
        sed -E -e 's/[0-9]{2}\/[0-9]{2}\/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}/## stamp ##/g' \
            -e 's/[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}/## stamp ##/g' \
            -e "s|$dir|{RUN}|g" -e 's/archive-[0-9a-f]{16}/archive-{ID}/g' \
            -e '/^ERROR: ld.so: object .libquenor-missing-preload.so/d' "$@"
    }
    mask "$dir/bin/quenor.log" >"$dir/log.masked"
    for text in apply.out status.json status.err restore.out; do
        mask -i "$dir/$text"
    done
    cp -R "$dir/prefix/.quenor" "$dir/originals.masked"
    # A set's folder is named after the real path of the archive, which differs between runs.
    for set in "$dir/originals.masked"/originals/archive-*; do
        [ -d "$set" ] && mv "$set" "$dir/originals.masked/originals/archive-ID"
    done
    find "$dir/originals.masked" -type f ! -name '*.viv' -exec sed -i -E \
        's/[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}/## stamp ##/g' {} +
    # Wine's registry files note when each key was written.
    for hive in user.reg system.reg; do
        sed -E -e 's/^(\[.*\]) [0-9]+$/\1 #/' -e 's/^#time=[0-9a-f]+$/#time=#/' \
            "$dir/prefix/$hive" >"$dir/$hive.masked"
    done
}
run_kind shared "$shared_ctl" "$shared_viv"
run_kind static "$static_ctl" "$static_viv"

grep -q '^## stamp ##     ' "$work/shared/log.masked" || fail "the log's lines have no time stamp"
if grep -qE '^[0-9]' "$work/static/log.masked"; then
    fail "the static quenorctl writes its time stamps another way:" \
        "$(grep -m1 -E '^[0-9]' "$work/static/log.masked")"
fi
for file in log.masked apply.out status.json status.err restore.out applied.viv viv-list.out \
    remade.viv user.reg.masked system.reg.masked; do
    if ! cmp -s "$work/shared/$file" "$work/static/$file"; then
        diff "$work/shared/$file" "$work/static/$file" | head -20 >&2 || true
        fail "$file differs between the shared and the static programs"
    fi
done
# The originals the first change kept, with their digests.
diff -r "$work/shared/originals.masked" "$work/static/originals.masked" >&2 ||
    fail "the kept originals differ"
echo "static_programs_test: the static quenorctl and quenor-viv match the shared ones"

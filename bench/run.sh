#!/usr/bin/env bash
# The benchmark: installs and removes the same payloads with native cp, a bare
# Win32 copy/delete loop, Wine's xcopy, NSIS installers and this program, all
# in one Wine prefix of its own, and prints a table and the speed goals.
#
#   bench/run.sh [--reps N] [--payloads "small mixed large"] [--no-scale] [--no-startup]
#
# Exits non-zero only when the benchmark itself could not run; missed goals are
# reported, not enforced. See bench/README.md.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bench="$top/bench"

reps=5
payloads="small mixed large"
do_scale=1
do_startup=1
while [ $# -gt 0 ]; do
    case "$1" in
    --reps) reps=$2; shift 2 ;;
    --payloads) payloads=$2; shift 2 ;;
    --no-scale) do_scale=0; shift ;;
    --no-startup) do_startup=0; shift ;;
    *) echo "usage: $0 [--reps N] [--payloads LIST] [--no-scale] [--no-startup]" >&2; exit 2 ;;
    esac
done

die() { echo "bench: $*" >&2; exit 1; }

# --- Build ------------------------------------------------------------------
"$bench/ensure-deps.sh" || die "could not install the packages it needs"
"$top/scripts/make-locales.sh" || die "could not build the locales"
cmake -S "$top" -B "$top/build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DQMK_BENCH=ON >/dev/null || die "configure failed"
cmake --build "$top/build" -j "$(nproc)" --target setup bench_tools >/dev/null || die "build failed"
setup_exe="$top/build/bin/setup.exe"
tools="$top/build/bench-bin"

# --- Payloads, generated once -------------------------------------------------
cache="$bench/cache"
mkdir -p "$cache"

# make_files DIR COUNT SIZE PREFIX: COUNT files of SIZE bytes of base64 text
# (compressible like real program files, about 3:4).
make_files() {
    mkdir -p "$1"
    (cd "$1" && head -c $(($2 * $3 * 3 / 4 + 4096)) /dev/urandom | base64 -w 0 |
        head -c $(($2 * $3)) | split -b "$3" -d -a 5 --additional-suffix=.dat - "$4")
}

payload_dir() { echo "$cache/payload/$1"; }

ensure_payload() {
    local name=$1 dir
    dir=$(payload_dir "$name")
    [ -f "$dir.ready" ] && return 0
    rm -rf "$dir"
    case "$name" in
    small) make_files "$dir" 2000 4096 s ;;
    mixed) make_files "$dir" 2000 4096 s && make_files "$dir/big" 20 $((2 << 20)) b ;;
    large) make_files "$dir" 4 $((64 << 20)) l ;;
    empty) mkdir -p "$dir" ;;
    tree*)
        # Folders of 1,000 files each: under Wine every new name costs a scan of
        # its folder, so one flat folder of 20,000 files would measure Wine's
        # lookup (tens of ms per file), not the installer's own cost per file.
        local i
        for i in $(seq 1 $((${name#tree} / 1000))); do
            make_files "$dir/d$(printf %02d "$i")" 1000 4096 s
        done ;;
    *) die "unknown payload $name" ;;
    esac
    touch "$dir.ready"
}

count_files() { find "$1" -type f 2>/dev/null | wc -l; }

# --- Wine session of the benchmark's own -------------------------------------
export WINEPREFIX="$top/build/bench-prefix"
fdfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do [ -s "$fdfile" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$fdfile")"
rm -f "$fdfile"
# shellcheck disable=SC1091
. "$top/scripts/wine-env.sh"
"$top/scripts/wine-prefix.sh" || die "could not create the prefix"
wineserver -f -p >/dev/null 2>&1 &
server_pid=$!
cleanup() {
    wineserver -k >/dev/null 2>&1
    kill "$server_pid" "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT
wine cmd /c exit </dev/null >/dev/null 2>&1

drive_c="$WINEPREFIX/drive_c"
work="$drive_c/bench"
rm -rf "$work"
mkdir -p "$work/t" "$work/pkg"
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
cwin() { local p=${1#"$drive_c"/}; p=${p//\//\\}; echo "C:\\$p"; }
temp_dirs() { find "$drive_c/users" -maxdepth 3 -type d -iname temp 2>/dev/null; }
clear_temp() { local d; for d in $(temp_dirs); do rm -rf "${d:?}"/* 2>/dev/null; done; }

out=$(mktemp)
results="$top/build/bench-results.tsv"; : >"$results"
trap 'cleanup; rm -f "$out"' EXIT

# timer ARGS...: runs bench_timer in the prefix; prints the seconds or "fail".
timer() {
    wine "$tools/bench_timer.exe" "$@" </dev/null >"$out" 2>/dev/null
    local s
    s=$(tr -d '\r' <"$out" | sed -n 's/^BENCH seconds=\([0-9.]*\).*/\1/p' | head -n1)
    echo "${s:-fail}"
}
run_wait() { timer wait "${QMK_BENCH_TIMEOUT:-300}" 'C:\bench' "$1"; }

now() { date +%s.%N; }
elapsed() { LC_ALL=C awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", b - a }'; }

# record PAYLOAD ROW PHASE REP SECONDS
record() { printf '%s\t%s\t%s\t%s\t%s\n' "$@" >>"$results"; }

# --- Packages -----------------------------------------------------------------
# The program's package: its own files, the product stand-in, the licence text,
# the payload (hard links into the cache) and a manifest with one pattern line
# per folder, each subfolder after its "Make Dir: " line.
# write_manifest PAYLOAD_DIR [PADDING_LINES]
write_manifest() {
    local dir=$1 pad=${2:-0} sub
    printf 'Benchmark package\r\n\r\nFile Copy: QmkShot6.exe\r\nFile Copy: QmkUnInst.exe\r\n'
    [ -n "$(find "$dir" -maxdepth 1 -type f -name '*.dat' -print -quit)" ] &&
        printf 'File Copy: *.dat\r\n'
    while read -r sub; do
        printf 'Make Dir: %s\r\nFile Copy: %s\\*.dat\r\n' "${sub//\//\\}" "${sub//\//\\}"
    done < <(cd "$dir" && find . -mindepth 1 -type d | sed 's|^\./||' | sort)
    # Lines that every reader ignores: notes, blank lines, tags in the wrong
    # case or after a blank.
    [ "$pad" -gt 0 ] && awk -v n="$pad" 'BEGIN {
        for (i = 0; i < n; i++) {
            k = i % 4
            if (k == 0) printf "; note %d about the files above\r\n", i
            else if (k == 1) printf "\r\n"
            else if (k == 2) printf "file copy: ignored%d.dat\r\n", i
            else printf " File Copy: ignored%d.dat\r\n", i
        }
    }'
}

# ensure_package NAME PAYLOAD [PADDING_LINES]
ensure_package() {
    local name=$1 payload=$2 pad=${3:-0} pkg="$work/pkg/$1"
    if [ ! -d "$pkg" ]; then
        mkdir -p "$pkg"
        cp -al "$(payload_dir "$payload")/." "$pkg/"
        cp "$tools/bench_product.exe" "$pkg/QmkShot6.exe"
        printf 'Benchmark licence text.\r\n' >"$pkg/agreement.txt"
        write_manifest "$(payload_dir "$payload")" "$pad" >"$pkg/QmkUnInst.log"
    fi
    cp "$setup_exe" "$pkg/setup.exe"
    cp "$setup_exe" "$pkg/QmkUnInst.exe"
}

# NSIS peers, made once per payload and compression.
ensure_nsis() {
    local payload=$1 mode=$2 exe="$cache/nsis/$1-$2.exe"
    if [ ! -f "$exe" ]; then
        mkdir -p "$cache/nsis"
        local extra=()
        [ "$mode" = off ] && extra=(-DNOCOMPRESS)
        makensis -V1 "${extra[@]}" -DPAYLOAD="$(payload_dir "$payload")" -DOUTFILE="$exe.part" \
            "$bench/nsis/payload.nsi" >/dev/null || die "makensis failed for $payload"
        mv "$exe.part" "$exe"
    fi
    echo "$exe"
}

# --- One row: install, check, uninstall, check ---------------------------------
# Each sets ins/uni (seconds or fail) and ok (1 when the result was complete).
row_native() {
    local src=$1 dst="$work/t/native" t0 t1
    t0=$(now); cp -r "$src" "$dst"; t1=$(now); ins=$(elapsed "$t0" "$t1")
    [ "$(count_files "$dst")" -ge "$expect" ] || ins=fail
    t0=$(now); rm -r "$dst"; t1=$(now); uni=$(elapsed "$t0" "$t1")
}

row_bare() {
    local src=$1 dst="$work/t/bare"
    ins=$(run_wait "C:\\bench\\tools\\bench_copy.exe $(winpath "$src") $(cwin "$dst")")
    [ "$(count_files "$dst")" -ge "$expect" ] || ins=fail
    uni=$(run_wait "C:\\bench\\tools\\bench_delete.exe $(cwin "$dst")")
    [ -e "$dst" ] && uni=fail
}

row_xcopy() {
    local src=$1 dst="$work/t/xcopy"
    ins=$(run_wait "xcopy.exe /e /i /q $(winpath "$src") $(cwin "$dst")")
    [ "$(count_files "$dst")" -ge "$expect" ] || ins=fail
    uni=$(run_wait "cmd.exe /c rd /s /q $(cwin "$dst")")
    [ -e "$dst" ] && uni=fail
}

row_nsis() {
    local exe=$1 mode=$2 dst="$work/t/nsis-$2"
    ins=$(run_wait "$(winpath "$exe") /S /D=$(cwin "$dst")")
    [ "$(count_files "$dst")" -ge "$expect" ] || ins=fail
    uni=$(run_wait "$(cwin "$dst")\\uninst.exe /S")
    [ -e "$dst" ] && uni=fail
}

row_program() {
    local pkg="$work/pkg/$1" dst="$work/t/prog"
    rm -rf "$dst"; mkdir -p "$dst"
    ins=$(run_wait "$(cwin "$pkg")\\setup.exe -s -instdir $(cwin "$dst")")
    if [ "$(count_files "$dst")" -lt "$expect" ] || [ ! -f "$dst/QmkUnInst.exe" ]; then
        ins=fail uni=fail
        rm -rf "$dst"
        return
    fi
    uni=$(run_wait "$(cwin "$dst")\\QmkUnInst.exe -s")
    [ -e "$dst" ] && uni=fail
    rm -rf "$dst"
}

rows_for() { echo "native bare xcopy nsis-off nsis-zlib program"; }

run_payload() {
    local payload=$1 src rep row order
    ensure_payload "$payload"
    src=$(payload_dir "$payload")
    expect=$(count_files "$src")
    ensure_package "$payload" "$payload"
    local nsis_off nsis_zlib
    nsis_off=$(ensure_nsis "$payload" off)
    nsis_zlib=$(ensure_nsis "$payload" zlib)
    # One warm-up round fills the caches; it is not recorded.
    for rep in $(seq 0 "$reps"); do
        order=$(rows_for)
        [ $((rep % 2)) -eq 0 ] && order=$(echo "$order" | tr ' ' '\n' | tac | tr '\n' ' ')
        for row in $order; do
            case "$row" in
            native) row_native "$src" ;;
            bare) row_bare "$src" ;;
            xcopy) row_xcopy "$src" ;;
            nsis-off) row_nsis "$nsis_off" off ;;
            nsis-zlib) row_nsis "$nsis_zlib" zlib ;;
            program) row_program "$payload" ;;
            esac
            if [ "$rep" -gt 0 ]; then
                record "$payload" "$row" install "$rep" "$ins"
                record "$payload" "$row" uninstall "$rep" "$uni"
            fi
        done
        clear_temp
    done
}

# --- Start-up to the first window ----------------------------------------------
run_startup() {
    ensure_payload mixed
    ensure_package mixed mixed
    local nsis rep which order
    nsis=$(ensure_nsis mixed zlib)
    for rep in $(seq 0 "$reps"); do
        order="empty setup nsis"
        [ $((rep % 2)) -eq 0 ] && order="nsis setup empty"
        for which in $order; do
            case "$which" in
            empty) s=$(timer window 30 'C:\bench' any 'C:\bench\tools\bench_emptydlg.exe') ;;
            setup) s=$(timer window 30 "$(cwin "$work/pkg/mixed")" page \
                "$(cwin "$work/pkg/mixed")\\setup.exe") ;;
            nsis) s=$(timer window 60 'C:\bench' page "$(winpath "$nsis")") ;;
            esac
            [ "$rep" -gt 0 ] && record startup "$which" window "$rep" "$s"
        done
        clear_temp
    done
}

# --- Scale -------------------------------------------------------------------
# Program install (and the bare loop, for reference) of 1,000 to 20,000 files of
# 4 KiB in folders of 1,000, and of a 1,000-file package whose manifest is padded with ignored lines.
scale_install() {
    local pkg="$work/pkg/$1" dst="$work/t/prog" s
    rm -rf "$dst"; mkdir -p "$dst"
    s=$(run_wait "$(cwin "$pkg")\\setup.exe -s -instdir $(cwin "$dst")")
    [ -f "$dst/QmkUnInst.exe" ] || s=fail
    [ -f "$dst/QmkUnInst.exe" ] && run_wait "$(cwin "$dst")\\QmkUnInst.exe -s" >/dev/null
    rm -rf "$dst"
    echo "$s"
}

scale_bare() {
    local dst="$work/t/bare" s
    s=$(run_wait "C:\\bench\\tools\\bench_copy.exe $(winpath "$(payload_dir "$1")") $(cwin "$dst")")
    rm -rf "$dst"
    echo "$s"
}

run_scale() {
    local n rep lines
    for n in empty tree1000 tree10000 tree20000; do
        ensure_payload "$n"
        ensure_package "$n" "$n"
    done
    for lines in 20000 100000; do ensure_package "lines$lines" tree1000 "$lines"; done
    for rep in $(seq 0 "$reps"); do
        for n in empty tree1000 tree10000 tree20000 lines20000 lines100000; do
            s=$(scale_install "$n")
            [ "$rep" -gt 0 ] && record scale "$n" program "$rep" "$s"
            case "$n" in lines*) continue ;; esac
            s=$(scale_bare "$n")
            [ "$rep" -gt 0 ] && record scale "$n" bare "$rep" "$s"
        done
        clear_temp
    done
}

# --- Run ----------------------------------------------------------------------
mkdir -p "$work/tools"
cp "$tools"/*.exe "$work/tools/"
echo "Benchmark: $reps repetition(s) after one warm-up, payloads: $payloads" >&2
[ "$do_startup" -eq 1 ] && { echo "  start-up ..." >&2; run_startup; }
for p in $payloads; do
    echo "  payload $p ..." >&2
    run_payload "$p"
done
[ "$do_scale" -eq 1 ] && { echo "  scale ..." >&2; run_scale; }

size=$(stat -c %s "$setup_exe")
imports=$(i686-w64-mingw32-objdump -p "$setup_exe" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')
symbols=$(i686-w64-mingw32-objdump -h "$setup_exe" | grep -c '\.debug\|\.stab' || true)
symtab=$(i686-w64-mingw32-objdump -f "$setup_exe" | grep -c 'HAS_SYMS' || true)

python3 "$bench/report.py" "$results" "$size" "$imports" "$((symbols + symtab))" "$reps" ||
    die "could not write the report"

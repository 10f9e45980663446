#!/usr/bin/env bash
# Splits a 1 GiB file of random bytes at 1400 KB and joins it back, with
# parvolin's core and with `split -b 1400k` and `cat` of its parts, and
# prints wall time, CPU time (user + sys) and peak memory (max RSS) of each
# and the ratios ours/theirs. Every run starts from the same state: written
# data flushed (sync) and its inputs read once, so all reads come from the
# page cache; each tool runs BENCH_ROUNDS times (default 5), alternating
# which goes first, and the best wall and CPU times and the largest peak
# memory are kept. Fails when a joined file differs from the source.
#
# Environment: BENCH_SIZE_MIB (default 1024), BENCH_ROUNDS (default 5),
# BENCH_DIR (parent of the scratch folder, default build/bench),
# BENCH_PLAIN=1 to force the plain read/write loop in our copies.
set -euo pipefail
export LC_ALL=C

repo=$(cd "$(dirname "$0")/.." && pwd)
size_mib=${BENCH_SIZE_MIB:-1024}
rounds=${BENCH_ROUNDS:-5}
stub_size=36352
plain=()
[[ ${BENCH_PLAIN:-0} == 1 ]] && plain=(--plain)

fail() { echo "FAIL: $*" >&2; exit 1; }
[[ -x /usr/bin/time ]] || fail "/usr/bin/time is needed (Debian package: time)"

cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
driver=$repo/build/bench/bench/parvolin_bench

parent=${BENCH_DIR:-$repo/build/bench}
mkdir -p "$parent"
work=$(mktemp -d "$parent/run.XXXXXX")
trap 'rm -rf "$work"' EXIT

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), kernel $(uname -r)"
echo "date:    $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "folder:  $work on $(df -T "$work" | awk 'NR == 2 { print $2 " (" $1 ")" }')"
echo "source:  $size_mib MiB of random bytes; stub $stub_size bytes; slice 1400 KB; $rounds rounds${plain:+; plain copy loop}"

source=$work/source.bin
stub=$work/stub.exe
head -c "$((size_mib * 1024 * 1024))" /dev/urandom >"$source"
{ head -c "$((stub_size - 272))" /dev/urandom; head -c 272 /dev/zero; } >"$stub"

# Runs "$@" in folder $1 (after shifting it off) under /usr/bin/time, with
# stdout going to file $2, and sets wall, cpu and rss from its figures.
timed() {
    local folder=$1 out=$2
    shift 2
    (cd "$folder" && /usr/bin/time -f '%e %U %S %M' -o "$work/time.txt" "$@" >"$out") ||
        fail "$* exited with an error"
    read -r wall user sys rss <"$work/time.txt"
    cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
}

# Brings every run to the same start: dirty pages written, inputs cached.
settle() {
    sync
    cat "$@" >/dev/null
}

declare -A best_wall best_cpu peak_rss
keep() {
    local name=$1
    printf '  %-13s wall %6s s  CPU %6s s  max RSS %6s KB\n' "$name" "$wall" "$cpu" "$rss"
    if [[ -z ${best_wall[$name]:-} ]] || awk -v a="$wall" -v b="${best_wall[$name]}" 'BEGIN { exit !(a < b) }'; then
        best_wall[$name]=$wall
    fi
    if [[ -z ${best_cpu[$name]:-} ]] || awk -v a="$cpu" -v b="${best_cpu[$name]}" 'BEGIN { exit !(a < b) }'; then
        best_cpu[$name]=$cpu
    fi
    if [[ -z ${peak_rss[$name]:-} ]] || ((rss > peak_rss[$name])); then
        peak_rss[$name]=$rss
    fi
}

split_ours() {
    rm -rf "$work/ours" && mkdir "$work/ours"
    settle "$source" "$stub"
    timed "$work/ours" /dev/null "$driver" "${plain[@]}" split "$source" "$stub"
    keep split_ours
}
split_theirs() {
    rm -rf "$work/theirs" && mkdir "$work/theirs"
    settle "$source"
    timed "$work/theirs" /dev/null split -b 1400k "$source"
    keep split_theirs
}
join_ours() {
    rm -f "$work/ours/source.bin" "$work/ours/parvolin.exe"
    settle "$work"/ours/source_*
    timed "$work/ours" /dev/null "$driver" "${plain[@]}" join source_00.exe
    keep join_ours
}
join_theirs() {
    rm -f "$work/joined.bin"
    local parts=("$work"/theirs/x*)
    settle "${parts[@]}"
    timed "$work" "$work/joined.bin" cat "${parts[@]}"
    keep join_theirs
}

for ((round = 1; round <= rounds; ++round)); do
    if ((round % 2)); then split_ours; split_theirs; else split_theirs; split_ours; fi
done
for ((round = 1; round <= rounds; ++round)); do
    if ((round % 2)); then join_ours; join_theirs; else join_theirs; join_ours; fi
done

# The answers, checked before any figure is trusted.
source_size=$(stat -c %s "$source")
parts=("$work"/ours/source_*)
part_bytes=$(stat -c %s "${parts[@]}" | awk '{ total += $1 } END { print total }')
((part_bytes == source_size + stub_size + 272)) ||
    fail "our parts hold $part_bytes bytes, expected $((source_size + stub_size + 272))"
cmp -n "$stub_size" "$stub" "$work/ours/source_00.exe" || fail "part 0 does not begin with the stub"
cmp "$source" "$work/ours/source.bin" || fail "our joined file differs from the source"
cmp "$stub" "$work/ours/parvolin.exe" || fail "the restored parvolin.exe differs from the stub"
cmp "$source" "$work/joined.bin" || fail "cat's joined file differs from the source"
echo "checked: our ${#parts[@]} parts hold source + stub + trailer; both joined files equal the source"

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
echo
printf '%-22s %9s %9s %12s\n' "" "wall s" "CPU s" "max RSS KB"
row() { printf '%-22s %9s %9s %12s\n' "$1" "${best_wall[$2]}" "${best_cpu[$2]}" "${peak_rss[$2]}"; }
row "split: parvolin" split_ours
row "split: split -b 1400k" split_theirs
row "join:  parvolin" join_ours
row "join:  cat" join_theirs
echo
printf '%-22s %9s %9s %12s   goal\n' "ratio ours/theirs" "wall" "CPU" "memory"
printf '%-22s %9s %9s %12s   wall <= 1.0, memory <= 1.0\n' "split" \
    "$(ratio "${best_wall[split_ours]}" "${best_wall[split_theirs]}")" \
    "$(ratio "${best_cpu[split_ours]}" "${best_cpu[split_theirs]}")" \
    "$(ratio "${peak_rss[split_ours]}" "${peak_rss[split_theirs]}")"
printf '%-22s %9s %9s %12s   wall <= 1.1, memory <= 1.0\n' "join" \
    "$(ratio "${best_wall[join_ours]}" "${best_wall[join_theirs]}")" \
    "$(ratio "${best_cpu[join_ours]}" "${best_cpu[join_theirs]}")" \
    "$(ratio "${peak_rss[join_ours]}" "${peak_rss[join_theirs]}")"

mkdir "$work/survey"
echo
(cd "$work/survey" && "$driver" survey-largest "$work/largest_00.exe") || fail "the survey of the largest plausible set"

#!/usr/bin/env bash
# Fuzzes the trailer reader and the survey for SECONDS (default 60) from
# the seed corpus in tests/fuzz/corpus, adding what it finds to
# build/fuzz/corpus. Exits non-zero when an input crashes, fails a check or
# runs longer than 10 seconds; the input is kept in build/fuzz/artifacts.
#
#   tests/fuzz/run.sh             the short run, building the fuzz preset first
#   tests/fuzz/run.sh 3600        a longer run
#   tests/fuzz/run.sh 60 FUZZER   with a fuzzer already built (as ctest does)
set -euo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-60}
fuzzer=${2:-}
if [[ -z $fuzzer ]]; then
    cmake --preset fuzz >/dev/null
    cmake --build --preset fuzz >/dev/null
    fuzzer=$repo/build/fuzz/tests/fuzz/trailer_fuzz
fi

found=$repo/build/fuzz/corpus
artifacts=$repo/build/fuzz/artifacts
mkdir -p "$found" "$artifacts"

"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "$found" "$repo/tests/fuzz/corpus"

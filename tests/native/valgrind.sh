#!/usr/bin/env bash
# Builds the native tests without sanitizers in build/valgrind and runs the
# whole suite once under valgrind's memcheck; exits non-zero on any test
# failure, memory error or leak. Extra arguments go to the test program
# (for example --gtest_filter=FaultTest.*).
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/../.."
if ! command -v valgrind >/dev/null; then
    echo "valgrind is not installed; install it (apt-get install valgrind) to run this check" >&2
    exit 1
fi
cmake -S . -B build/valgrind -DPARVOLIN_SANITIZE=OFF -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/valgrind -j"$(nproc)" --target parvolin_tests
valgrind --quiet --error-exitcode=1 --leak-check=full \
    build/valgrind/tests/native/parvolin_tests "$@"

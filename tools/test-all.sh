#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds every preset (Linux, Linux with
# sanitizers, Windows 32-bit and 64-bit, with the Windows installers) with warnings as errors,
# runs clang-tidy over the Linux program's code and runs every test. Exits nonzero when any
# step failed. The end-to-end tests on KDE Plasma and GNOME Shell run where those desktops are
# installed (tools/install-deps.sh --desktops, as CI does); elsewhere each says why in one line.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh

failed=()
reports=$(mktemp -d)
trap 'rm -rf "$reports"' EXIT

# Runs one named step, noting it when it fails.
step() {
    local name=$1
    shift
    echo "=== $name"
    "$@" || failed+=("$name")
}

# Whether the named step has failed.
has_failed() {
    local name
    for name in "${failed[@]}"; do
        [ "$name" = "$1" ] && return 0
    done
    return 1
}

# Every tracked source file is as clang-format leaves it.
check_format() {
    git ls-files -z -- '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
}

# Configures and builds one preset with warnings as errors.
build() {
    cmake --preset "$1" -DQUILLOP_WERROR=ON >/dev/null && cmake --build --preset "$1"
}

# The product code (not the tests, not generated files) passes the checks in .clang-tidy.
check_tidy() {
    local source=$PWD start=$SECONDS status=0
    run-clang-tidy -quiet -j 2 -p build/linux -header-filter "^$source/(clFly|main)/" \
        "^$source/(clFly/|main/|Quillop_qt\.cpp)" >"$reports/tidy.log" 2>&1 || status=$?
    # Leaves out the command lines and the counts of warnings suppressed in other headers.
    grep -Ev '^clang-tidy|warnings generated|Suppressed [0-9]+ warnings|Use -header-filter' \
        "$reports/tidy.log" || true
    echo "clang-tidy took $((SECONDS - start)) s"
    return "$status"
}

# Prints the line in which each skipped test says why (the end-to-end tests on Plasma and GNOME
# Shell where those are not installed, for one), then the total of the tests over the presets'
# JUnit reports.
print_total() {
    python3 - "$@" <<'EOF'
import sys
import xml.etree.ElementTree as ET
suites = [ET.parse(path).getroot() for path in sys.argv[1:]]
for case in (case for s in suites for case in s.iter("testcase")):
    if case.find("skipped") is not None:
        lines = (case.findtext("system-out") or "").splitlines()
        print(f"{case.get('name')}: {next((l for l in lines if 'SKIP' in l), 'skipped')}")
total, failures, skipped = (sum(int(s.get(key, 0)) for s in suites)
                            for key in ("tests", "failures", "skipped"))
print(f"Quillop: {total - failures - skipped} passed, {failures} failed, {skipped} skipped")
EOF
}

step "Formatting" check_format
for preset in linux linux-asan windows-x86 windows-x64; do
    step "Building $preset" build "$preset"
done
has_failed "Building linux" || step "clang-tidy" check_tidy
tested=(linux linux-asan windows-x64)
# The shipped 32-bit program runs in a 32-bit root, where the kernel runs 32-bit programs.
tests/windows/root32.sh check && tested+=(windows-x86)
for preset in "${tested[@]}"; do
    has_failed "Building $preset" ||
        step "Testing $preset" ctest --preset "$preset" --output-junit "$reports/$preset.xml"
done
command -v wineserver >/dev/null && wineserver -k 2>/dev/null || true

shopt -s nullglob
junit=("$reports"/*.xml)
[ ${#junit[@]} -eq 0 ] || print_total "${junit[@]}" || true
if [ ${#failed[@]} -gt 0 ]; then
    printf 'Failed: %s\n' "${failed[@]}"
    exit 1
fi
echo "Every step passed"

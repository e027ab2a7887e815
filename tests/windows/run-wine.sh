#!/usr/bin/env bash
# Runs one Windows program under Wine on a private Xvfb with a fresh prefix, and cleans up.
# Usage: run-wine.sh work-folder program.exe [arguments...]
set -uo pipefail
work=$1
program=$(realpath "$2")
shift 2
source "$(dirname "$0")/wine-session.sh"
start_wine_session "$work"
run_logged "$work/run.log" wine "$program" "$@"

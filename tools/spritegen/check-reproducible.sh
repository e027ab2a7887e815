#!/usr/bin/env bash
# Runs spritegen into a scratch tree and compares every file it writes with the committed one.
set -euo pipefail
spritegen=$1
source=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/resources" "$scratch/docs"
"$spritegen" "$scratch" >/dev/null
status=0
count=0
while IFS= read -r -d '' file; do
    relative=${file#"$scratch"/}
    count=$((count + 1))
    if ! cmp -s "$file" "$source/$relative"; then
        echo "differs from the committed file: $relative"
        status=1
    fi
done < <(find "$scratch" -type f -print0)
echo "$count files compared"
[ "$count" -ge 112 ] || { echo "spritegen wrote too few files"; status=1; }
exit $status

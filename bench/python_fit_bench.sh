#!/usr/bin/env bash
# Fits 1,000 three-peak curves from Python in one process (on one thread and
# on two), then the same files with one `tsccurve fit` process each, and
# prints the times. Needs a build with the Python module (script/build).
# Usage: bench/python_fit_bench.sh [BUILD_DIR] [COUNT]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
count="${2:-1000}"
tsccurve="$build/tsccurve/tsccurve"
export PYTHONPATH="$PWD/$build/python"

folder="$(mktemp -d)"
trap 'rm -rf "$folder"' EXIT
/usr/bin/python3 bench/python_fit_bench.py write "$folder" "$count"

/usr/bin/python3 bench/python_fit_bench.py fit "$folder" 1
/usr/bin/python3 bench/python_fit_bench.py fit "$folder" 2

# The command line fits several peaks once it takes --peaks; before that it
# fits one, and the comparison says so.
options=(--beta 5 --area 1 --json)
first="$(ls "$folder" | head -1)"
if "$tsccurve" fit "$folder/$first" "${options[@]}" --peaks 3 >/dev/null 2>&1 ||
  [ $? -eq 3 ]; then
  options+=(--peaks 3)
  what="three peaks"
else
  what="ONE peak: this tsccurve has no --peaks"
fi
start=$(date +%s.%N)
converged=0
for file in "$folder"/*.csv; do
  if "$tsccurve" fit "$file" "${options[@]}" >/dev/null; then converged=$((converged + 1)); fi
done
end=$(date +%s.%N)
awk -v s="$start" -v e="$end" -v n="$count" -v c="$converged" -v what="$what" 'BEGIN {
  printf "tsccurve fit, one process per file (%s): %d fits in %.1f s (%.1f ms each), %d converged\n",
    what, n, e - s, 1000 * (e - s) / n, c }'

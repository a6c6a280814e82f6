#!/usr/bin/env bash
# The whole-result downloads of a 1,000,000-row x 10-column SQLite table in
# each format (time, peak memory above the process before the export), CSV
# beside `sqlite3 -csv` and XLSX beside libxlsxwriter's own loop over the
# same cells. Release build: cmake -B build-release -DCMAKE_BUILD_TYPE=Release
#   bench/export_whole.sh [BUILD_DIR] [ROWS] [FORMATS...]
set -euo pipefail
build=${1:-build-release}
rows=${2:-1000000}
shift $(( $# > 2 ? 2 : $# ))
formats=("$@")
[[ ${#formats[@]} -gt 0 ]] || formats=(csv sqlite3-csv json txt xlsx xlsx-floor)
tool="$build/bench/bench_export_whole"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$tool" make "$work/t.db" "$rows"
for f in "${formats[@]}"; do
  if [[ $f == sqlite3-csv ]]; then
    /usr/bin/time -f "sqlite3-csv rows=$rows seconds=%e cpu_seconds=%U+%S peak_rss_mb=%M" \
      sqlite3 -csv -header "$work/t.db" "SELECT * FROM t" >"$work/out.sqlite.csv" 2>"$work/time" || true
    awk '{ split($NF, a, "="); $NF = "peak_rss_mb=" int(a[2] / 1024); print }' "$work/time"
  else
    TMPDIR="$work" "$tool" "$f" "$work/t.db" "$work/out.$f"
  fi
  ls -l "$work"/out.* | awk '{ print "  " $9 ": " $5 " bytes" }' | tail -1
  rm -f "$work"/out.*
done

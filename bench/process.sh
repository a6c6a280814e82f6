#!/usr/bin/env bash
# Whole-process figures of zylgrid (docs/PERFORMANCE.md):
#   1. one CGI request (`zylgrid cgi`, process start to last byte) for page 1
#      (40 rows) of a 10,000-row and of a 1,000,000-row SQLite table, beside
#      the floor program bench_floor, with hyperfine;
#   2. `zylgrid serve` and `zylgrid fcgi` (behind lighttpd) under wrk on
#      loopback at 1, 8 and 32 connections, page 1 of the 10,000-row table;
#   3. `zylgrid serve` with and without the count cache, page 1 of the
#      1,000,000-row table.
# Every figure carries the 1-minute load average taken just before it.
# Exits 1 when a request failed (non-2xx answer or socket error).
#
#   bench/process.sh                 BUILD=build DURATION=10s RUNS=100
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
[[ "$build" = /* ]] || build=$root/$build
zylgrid=$build/apps/zylgrid/zylgrid
floor=$build/bench/bench_floor
work=${ZYL_BENCH_DIR:-/tmp/zylhg_bench_process}
duration=${DURATION:-10s}
runs=${RUNS:-100}
port=${PORT:-18431}

for tool in hyperfine wrk sqlite3 curl python3; do
  command -v "$tool" >/dev/null || {
    echo "process.sh: $tool is missing (scripts/install-deps bench)" >&2
    exit 2
  }
done
for program in "$zylgrid" "$floor"; do
  [[ -x "$program" ]] || { echo "process.sh: build $program first" >&2; exit 2; }
done
mkdir -p "$work/tmp"
failed=0
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

load() { cut -d' ' -f1 /proc/loadavg; }

# The Orders table of bench/read_page.cpp: 10 mixed columns, N rows.
make_db() {
  local db=$1 rows=$2
  if [[ -f "$db" ]] && [[ $(sqlite3 "$db" "SELECT count(*) FROM Orders" 2>/dev/null) == "$rows" ]]; then
    return
  fi
  rm -f "$db"
  echo "process.sh: generating $db ($rows rows)" >&2
  sqlite3 "$db" >/dev/null <<SQL
PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;
CREATE TABLE Orders (Id INTEGER PRIMARY KEY, Customer VARCHAR(40), City VARCHAR(30),
  Qty INTEGER, Price REAL, Amount DECIMAL(12,2), Paid BOOLEAN, Ordered DATE,
  Stamp DATETIME, Notes TEXT);
BEGIN;
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $rows)
INSERT INTO Orders SELECT i, printf('Customer %06d', i * 7919 % 50000),
  (CASE i % 6 WHEN 0 THEN 'Berlin' WHEN 1 THEN 'Lisboa' WHEN 2 THEN 'Oslo'
   WHEN 3 THEN 'Zagreb' WHEN 4 THEN 'Quito' ELSE 'Perth' END),
  i % 100, (i % 100000) / 100.0, (i % 1000000) / 100.0, i % 2,
  printf('20%02d-%02d-%02d', i % 25, i % 12 + 1, i % 28 + 1),
  printf('2024-%02d-%02d %02d:%02d:%02d', i % 12 + 1, i % 28 + 1, i % 24, i % 60, (i / 7) % 60),
  CASE WHEN i % 3 = 0 THEN NULL ELSE 'note ' || (i % 997) END
FROM n;
COMMIT;
SQL
}

site() {
  local name=$1 db=$2
  cat >"$work/$name.ini" <<INI
[Orders]
Source=sqlite:$db
Table=Orders
RowsPerPage=40
INI
  echo "$work/$name.ini"
}

make_db "$work/orders10k.db" 10000
make_db "$work/orders1m.db" 1000000
site10k=$(site site10k "$work/orders10k.db")
site1m=$(site site1m "$work/orders1m.db")

echo "## Whole CGI request (hyperfine, $runs runs)"
echo
echo "| table | zylgrid cgi | floor | ratio | bytes | load |"
echo "|---|---|---|---|---|---|"
for table in 10k 1m; do
  config=$work/site$table.ini
  db=$work/orders$table.db
  bytes=$(env -i GATEWAY_INTERFACE=CGI/1.1 REQUEST_METHOD=GET QUERY_STRING= SCRIPT_NAME=/grid.cgi \
          ZYLGRID_CONFIG="$config" TMPDIR="$work/tmp" "$zylgrid" cgi | wc -c)
  l=$(load)
  GATEWAY_INTERFACE=CGI/1.1 REQUEST_METHOD=GET QUERY_STRING= SCRIPT_NAME=/grid.cgi \
  ZYLGRID_CONFIG="$config" TMPDIR="$work/tmp" \
    hyperfine -N --style none --warmup 5 --runs "$runs" --export-json "$work/cgi$table.json" \
      "$zylgrid cgi" "$floor $db Orders 0 40 $bytes" >/dev/null
  python3 - "$work/cgi$table.json" "$table" "$bytes" "$l" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))["results"]
z, f = r[0], r[1]
ms = lambda x: "%.2f ± %.2f ms" % (x["median"] * 1e3, x["stddev"] * 1e3)
print("| %s | %s | %s | %.2fx | %s | %s |" % (sys.argv[2], ms(z), ms(f),
      z["median"] / f["median"], sys.argv[3], sys.argv[4]))
PY
done
# Process start alone: `zylgrid help` (loads the program and its shared
# libraries, does nothing) against the floor printing its usage.
l=$(load)
hyperfine -N -i --style none --warmup 5 --runs "$runs" --export-json "$work/start.json" \
  "$zylgrid help" "$floor" >/dev/null 2>&1
python3 - "$work/start.json" "$l" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))["results"]
ms = lambda x: "%.2f ± %.2f ms" % (x["median"] * 1e3, x["stddev"] * 1e3)
print("| start only (`zylgrid help` / floor usage) | %s | %s | %.2fx | | %s |"
      % (ms(r[0]), ms(r[1]), r[0]["median"] / r[1]["median"], sys.argv[2]))
PY
echo

wait_up() {
  for _ in $(seq 100); do
    curl -fsS -o /dev/null "http://127.0.0.1:$1/" 2>/dev/null && return 0
    sleep 0.1
  done
  echo "process.sh: nothing answers on port $1" >&2
  return 1
}

# One wrk run: prints a table row; marks failures.
load_run() {
  local label=$1 connections=$2 url=$3 threads=2
  [[ $connections -lt 2 ]] && threads=1
  local l out
  l=$(load)
  out=$(wrk -t"$threads" -c"$connections" -d"$duration" --timeout 30s --latency "$url")
  local rps p50 p90 p99 errors non2xx
  rps=$(awk '/^Requests\/sec/ {print $2}' <<<"$out")
  p50=$(awk '$1 == "50%" {print $2}' <<<"$out")
  p90=$(awk '$1 == "90%" {print $2}' <<<"$out")
  p99=$(awk '$1 == "99%" {print $2}' <<<"$out")
  errors=$(awk '/Socket errors/ {gsub(",", ""); print $4 + $6 + $8 + $10}' <<<"$out")
  non2xx=$(awk '/Non-2xx/ {print $5}' <<<"$out")
  errors=${errors:-0}
  non2xx=${non2xx:-0}
  if [[ $errors != 0 || $non2xx != 0 ]]; then failed=1; fi
  echo "| $label | $connections | $rps | $p50 | $p90 | $p99 | $non2xx | $errors | $l |"
  echo "$rps" >"$work/last_rps"
}

start_serve() {
  local config=$1 p=$2
  shift 2
  "$zylgrid" serve --config "$config" --port "$p" "$@" >"$work/serve.log" 2>&1 &
  pids+=($!)
  wait_up "$p"
}

stop_last() {
  local pid=${pids[-1]}
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  unset 'pids[-1]'
}

echo "## Under load (wrk, $duration per row, page 1 of 40 rows)"
echo
echo "| host, table | connections | requests/s | p50 | p90 | p99 | non-2xx | socket errors | load |"
echo "|---|---|---|---|---|---|---|---|---|"
start_serve "$site10k" "$port"
for c in 1 8 32; do load_run "serve, 10k" "$c" "http://127.0.0.1:$port/"; done
stop_last

# FastCGI: two zylgrid fcgi processes behind lighttpd's mod_fastcgi.
if command -v lighttpd >/dev/null; then
  fport=$((port + 1))
  mkdir -p "$work/www"
  for i in 1 2; do
    rm -f "$work/fcgi$i.sock"
    "$zylgrid" fcgi --config "$site10k" --socket "$work/fcgi$i.sock" >"$work/fcgi$i.log" 2>&1 &
    pids+=($!)
  done
  cat >"$work/lighttpd.conf" <<CONF
server.modules = ("mod_fastcgi")
server.document-root = "$work/www"
server.bind = "127.0.0.1"
server.port = $fport
server.errorlog = "$work/lighttpd.log"
server.max-connections = 1024
fastcgi.server = ("/" => (
  ("socket" => "$work/fcgi1.sock", "check-local" => "disable"),
  ("socket" => "$work/fcgi2.sock", "check-local" => "disable")))
CONF
  for _ in $(seq 50); do [[ -S "$work/fcgi1.sock" && -S "$work/fcgi2.sock" ]] && break; sleep 0.1; done
  lighttpd -D -f "$work/lighttpd.conf" &
  pids+=($!)
  wait_up "$fport"
  for c in 1 8 32; do load_run "fcgi (2 processes) + lighttpd, 10k" "$c" "http://127.0.0.1:$fport/"; done
  cleanup
  pids=()
else
  echo "| fcgi: lighttpd is not installed, skipped | | | | | | | | |"
fi
echo

# CPU time the server spends per request (its utime + stime over N
# sequential requests): hardly touched by other load on the machine.
cpu_per_request() {
  local pid=$1 p=$2 n=${3:-20} t0 t1
  t0=$(awk '{print $14 + $15}' "/proc/$pid/stat")
  for _ in $(seq "$n"); do curl -fsS -o /dev/null "http://127.0.0.1:$p/"; done
  t1=$(awk '{print $14 + $15}' "/proc/$pid/stat")
  python3 -c "import os, sys; print('%.1f' % ((int(sys.argv[2]) - int(sys.argv[1])) * 1000.0 / os.sysconf('SC_CLK_TCK') / int(sys.argv[3])))" "$t0" "$t1" "$n"
}

echo "## Count cache (serve, page 1 of the 1,000,000-row table, 8 connections)"
echo
echo "| serve | connections | requests/s | p50 | p90 | p99 | non-2xx | socket errors | load |"
echo "|---|---|---|---|---|---|---|---|---|"
declare -A rps cpu
for mode in on off; do
  flags=()
  [[ $mode == off ]] && flags=(--no-count-cache)
  start_serve "$site1m" "$port" "${flags[@]}"
  cpu[$mode]=$(cpu_per_request "${pids[-1]}" "$port")
  load_run "count cache $mode" 8 "http://127.0.0.1:$port/"
  rps[$mode]=$(cat "$work/last_rps")
  stop_last
done
echo
echo "Server CPU per request (20 sequential requests): cache on ${cpu[on]} ms, off ${cpu[off]} ms."
python3 -c "import sys; print('Count cache: %.1fx the requests/s, %.1fx less CPU per request.' % (float(sys.argv[1]) / float(sys.argv[2]), float(sys.argv[4]) / float(sys.argv[3])))" "${rps[on]}" "${rps[off]}" "${cpu[on]}" "${cpu[off]}"

# The same with 1000 rows per page: the toolbars' page lists (one option per
# page, twice) shrink from 50,000 to 2,000 lines, so the count weighs more.
site1mw=$work/site1m-1000.ini
sed 's/^RowsPerPage=40$/RowsPerPage=1000/' "$site1m" >"$site1mw"
for mode in on off; do
  flags=()
  [[ $mode == off ]] && flags=(--no-count-cache)
  start_serve "$site1mw" "$port" "${flags[@]}"
  cpu[$mode]=$(cpu_per_request "${pids[-1]}" "$port")
  stop_last
done
echo "With RowsPerPage=1000: server CPU per request, cache on ${cpu[on]} ms, off ${cpu[off]} ms ($(python3 -c "import sys; print('%.1f' % (float(sys.argv[2]) / float(sys.argv[1])))" "${cpu[on]}" "${cpu[off]}")x)."
echo

if [[ $failed != 0 ]]; then
  echo "process.sh: some requests failed (see the non-2xx and socket error columns)" >&2
  exit 1
fi

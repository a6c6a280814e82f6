#!/usr/bin/env bash
# Whole-process figures of zylgrid (docs/PERFORMANCE.md), side by side in one
# run. Sections (SECTIONS picks some, in this order):
#   cgi     one CGI request, process start to last byte, under hyperfine: the
#           PHP 8 + PDO page bench/peer.php, the floor bench_floor (the same
#           count and page statements, as many bytes as zylgrid's page) and
#           `zylgrid cgi`, for 10,000 rows at 40 and 500 rows per page (page
#           1), 1,000,000 rows at 40 per page (page 1) and at 500 (last page);
#   start   process start: `zylgrid cgi` answering a missing configuration,
#           beside the floor printing its usage;
#   serve   `zylgrid serve`, page 1 of the 10,000-row table: server CPU per
#           request over keep-alive HTTP (40 and 500 rows per page), then wrk
#           at 8 connections;
#   fcgi    `zylgrid fcgi` (two processes behind lighttpd) under wrk at 1, 8
#           and 32 connections;
#   counts  `zylgrid serve` with and without the count cache, 1,000,000 rows.
# ZYLGRID_OLD names a second zylgrid (e.g. a build of an older commit) that
# runs beside the new one in the cgi, start and serve sections.
# Every figure carries the 1-minute load average taken just before it. The
# figures also go to $RESULTS (JSON lines) for bench/chart.py. Exits 1 when
# a request failed (non-2xx answer or socket error).
#
#   bench/process.sh      BUILD=build DURATION=10s RUNS=20 ZYLGRID_OLD= RESULTS=
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
[[ "$build" = /* ]] || build=$root/$build
zylgrid=$build/apps/zylgrid/zylgrid
floor=$build/bench/bench_floor
peer=$root/bench/peer.php
old=${ZYLGRID_OLD:-}
work=${ZYL_BENCH_DIR:-/tmp/zylhg_bench_process}
results=${RESULTS:-$work/results.jsonl}
duration=${DURATION:-10s}
runs=${RUNS:-20}
port=${PORT:-18431}
sections=${SECTIONS:-cgi start serve fcgi counts}

for tool in hyperfine wrk sqlite3 curl python3 php; do
  command -v "$tool" >/dev/null || {
    echo "process.sh: $tool is missing (scripts/install-deps bench)" >&2
    exit 2
  }
done
for program in "$zylgrid" "$floor" ${old:+"$old"}; do
  [[ -x "$program" ]] || { echo "process.sh: build $program first" >&2; exit 2; }
done
php -r 'exit(in_array("sqlite", PDO::getAvailableDrivers()) ? 0 : 1);' || {
  echo "process.sh: PHP has no PDO SQLite driver (scripts/install-deps bench)" >&2
  exit 2
}
mkdir -p "$work/tmp"
: >"$results"
failed=0
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

load() { cut -d' ' -f1 /proc/loadavg; }
want() { [[ " $sections " == *" $1 "* ]]; }

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

# site TABLE ROWS: the site configuration of one grid over orders$TABLE.db.
site() {
  local file=$work/site$1-$2.ini
  printf '[Orders]\nSource=sqlite:%s\nTable=Orders\nRowsPerPage=%s\n' "$work/orders$1.db" "$2" >"$file"
  echo "$file"
}

make_db "$work/orders10k.db" 10000
make_db "$work/orders1m.db" 1000000

# One CGI request of `zylgrid cgi` with the environment a web server sets.
cgi_env() {
  env -i GATEWAY_INTERFACE=CGI/1.1 REQUEST_METHOD=GET "QUERY_STRING=$2" SCRIPT_NAME=/grid.cgi \
    ZYLGRID_CONFIG="$1" TMPDIR="$work/tmp" "${@:3}"
}

# summarize JSON SECTION LABEL LOAD NAME... : one table row (median ± stddev
# per command, then zylgrid / PHP and zylgrid / floor) and one results line.
summarize() {
  python3 - "$results" "$@" <<'PY'
import json, sys
out, path, section, label, load, *names = sys.argv[1:]
runs = json.load(open(path))["results"]
ms = {n: r["median"] * 1e3 for n, r in zip(names, runs)}
sd = {n: r["stddev"] * 1e3 for n, r in zip(names, runs)}
cells = ["%.2f ± %.2f ms" % (ms[n], sd[n]) for n in names]
ratios = []
for peer in ("php", "floor"):
    if peer in ms:
        ratios.append("%.2f" % (ms["zylgrid"] / ms[peer]))
print("| %s | %s | %s | %s |" % (label, " | ".join(cells), " | ".join(ratios), load))
with open(out, "a") as f:
    f.write(json.dumps({"section": section, "case": label, "load": float(load),
                        "median_ms": ms, "stddev_ms": sd}) + "\n")
PY
}

if want cgi; then
  echo "## One CGI request side by side (hyperfine, $runs runs, median ± stddev)"
  echo
  header="| case | PHP 8 + PDO | floor | zylgrid cgi |"
  rule="|---|---|---|---|"
  [[ -n $old ]] && { header+=" old zylgrid cgi |"; rule+="---|"; }
  echo "$header zylgrid / PHP | zylgrid / floor | load |"
  echo "$rule---|---|---|"
  # table, rows per page, page ("last" or a number), the grid's query, label
  for row in "10k 40 1 - 10k rows, 40 per page, page 1" \
              "10k 500 1 - 10k rows, 500 per page, page 1" \
              "1m 40 1 - 1M rows, 40 per page, page 1" \
              "1m 500 last GName=Orders&GPage=1&GRPP=500&GLAST.x=1&GLAST.y=1 1M rows, 500 per page, last page"; do
    read -r table rpp page query label <<<"$row"
    [[ $query == - ]] && query=
    config=$(site "$table" "$rpp")
    db=$work/orders$table.db
    bytes=$(cgi_env "$config" "$query" "$zylgrid" cgi | wc -c)
    phpBytes=$(php "$peer" "$db" Orders Id "$page" "$rpp" | wc -c)
    commands=("php $peer $db Orders Id $page $rpp" "$floor $db Orders Id $page $rpp $bytes"
              "$zylgrid cgi")
    names=(php floor zylgrid)
    if [[ -n $old ]]; then commands+=("$old cgi"); names+=(old); fi
    json=$work/cgi-$table-$rpp-$page.json
    l=$(load)
    cgi_env "$config" "$query" hyperfine -N --style none --warmup 3 --runs "$runs" \
      --export-json "$json" "${commands[@]}" >/dev/null
    summarize "$json" cgi "$label ($bytes bytes; PHP $phpBytes)" "$l" "${names[@]}"
  done
  echo
fi

if want start; then
  echo "## Process start (hyperfine, $((runs * 5)) runs)"
  echo
  echo "\`zylgrid cgi\` answering a missing configuration (a 500 page), beside the floor"
  echo "printing its usage (a C++ program with SQLite)."
  echo
  commands=("$floor" "$zylgrid cgi")
  names=(floor zylgrid)
  if [[ -n $old ]]; then commands+=("$old cgi"); names+=(old); fi
  header="| case | floor | zylgrid cgi |"
  [[ -n $old ]] && header+=" old zylgrid cgi |"
  echo "$header zylgrid / floor | load |"
  echo "|---|---|---|$([[ -n $old ]] && echo -n '---|')---|---|"
  l=$(load)
  cgi_env "$work/missing.ini" "" hyperfine -N -i --style none --warmup 20 --runs $((runs * 5)) \
    --export-json "$work/start.json" "${commands[@]}" >/dev/null 2>&1
  summarize "$work/start.json" start "process start" "$l" "${names[@]}"
  echo
  # The same starts interleaved (one of each per round), so that a shared
  # machine's changing load falls on every program alike; the fastest
  # tenth is the closest to a quiet machine's figure.
  echo "Interleaved, $((runs * 20)) rounds: minimum, 10th percentile and median wall time."
  echo
  python3 - "$((runs * 20))" "$work/missing.ini" "${commands[@]}" <<'PY'
import os, statistics, sys, time
rounds, config, commands = int(sys.argv[1]), sys.argv[2], [c.split() for c in sys.argv[3:]]
env = {"GATEWAY_INTERFACE": "CGI/1.1", "REQUEST_METHOD": "GET", "ZYLGRID_CONFIG": config}
null = os.open(os.devnull, os.O_WRONLY)
quiet = [(os.POSIX_SPAWN_DUP2, null, 1), (os.POSIX_SPAWN_DUP2, null, 2)]
times = [[] for _ in commands]
for round in range(rounds + 10):
    for command, spent in zip(commands, times):
        start = time.perf_counter()
        os.waitpid(os.posix_spawn(command[0], command, env, file_actions=quiet), 0)
        if round >= 10:
            spent.append((time.perf_counter() - start) * 1e3)
print("| program | minimum | 10th percentile | median |")
print("|---|---|---|---|")
for command, spent in zip(commands, times):
    spent.sort()
    print("| %s | %.2f ms | %.2f ms | %.2f ms |" % (" ".join(command), spent[0],
          spent[len(spent) // 10], statistics.median(spent)))
PY
  echo
fi

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

# start_serve PROGRAM CONFIG PORT [FLAGS...]
start_serve() {
  local program=$1 config=$2 p=$3
  shift 3
  "$program" serve --config "$config" --port "$p" "$@" >"$work/serve.log" 2>&1 &
  pids+=($!)
  wait_up "$p"
}

stop_last() {
  local pid=${pids[-1]}
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  unset 'pids[-1]'
}

# CPU time the server spends per request (its utime + stime over N requests
# on one keep-alive connection, after 20 unmeasured ones): hardly touched by
# other load on the machine.
cpu_per_request() {
  local pid=$1 p=$2 n=${3:-200}
  python3 - "$pid" "$p" "$n" <<'PY'
import http.client, os, sys
pid, port, n = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
def cpu():
    fields = open("/proc/%s/stat" % pid).read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
connection = http.client.HTTPConnection("127.0.0.1", port)
def ask(count):
    for _ in range(count):
        connection.request("GET", "/")
        answer = connection.getresponse()
        answer.read()
        if answer.status != 200:
            sys.exit("process.sh: the server answered %d" % answer.status)
ask(20)
t0 = cpu()
ask(n)
print("%.2f" % ((cpu() - t0) * 1000.0 / n))
PY
}

if want serve; then
  echo "## serve: page 1 of the 10,000-row table"
  echo
  programs=("$zylgrid")
  [[ -n $old ]] && programs+=("$old")
  echo "| program | server CPU per request, 40 rows | 500 rows | load |"
  echo "|---|---|---|---|"
  for program in "${programs[@]}"; do
    name=zylgrid
    [[ $program == "$old" ]] && name=old
    declare -A cpu=()
    l=$(load)
    for rpp in 40 500; do
      start_serve "$program" "$(site 10k "$rpp")" "$port"
      cpu[$rpp]=$(cpu_per_request "${pids[-1]}" "$port")
      stop_last
    done
    echo "| $name ($program) | ${cpu[40]} ms | ${cpu[500]} ms | $l |"
    echo "{\"section\": \"serve-cpu\", \"program\": \"$name\", \"load\": $l, \"cpu_ms\": {\"40\": ${cpu[40]}, \"500\": ${cpu[500]}}}" >>"$results"
  done
  echo
  echo "| program, rows per page | connections | requests/s | p50 | p90 | p99 | non-2xx | socket errors | load |"
  echo "|---|---|---|---|---|---|---|---|---|"
  for rpp in 40 500; do
    for program in "${programs[@]}"; do
      name=zylgrid
      [[ $program == "$old" ]] && name=old
      start_serve "$program" "$(site 10k "$rpp")" "$port"
      load_run "$name, $rpp" 8 "http://127.0.0.1:$port/"
      echo "{\"section\": \"serve-wrk\", \"program\": \"$name\", \"rows\": $rpp, \"rps\": $(cat "$work/last_rps")}" >>"$results"
      stop_last
    done
  done
  echo
fi

# FastCGI: two zylgrid fcgi processes behind lighttpd's mod_fastcgi.
if want fcgi; then
  echo "## fcgi under load (wrk, $duration per row, page 1 of 40 rows of the 10,000-row table)"
  echo
  echo "| host | connections | requests/s | p50 | p90 | p99 | non-2xx | socket errors | load |"
  echo "|---|---|---|---|---|---|---|---|---|"
  if command -v lighttpd >/dev/null; then
    fport=$((port + 1))
    site10k=$(site 10k 40)
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
    for c in 1 8 32; do load_run "fcgi (2 processes) + lighttpd" "$c" "http://127.0.0.1:$fport/"; done
    cleanup
    pids=()
  else
    echo "| fcgi: lighttpd is not installed, skipped | | | | | | | | |"
  fi
  echo
fi

if want counts; then
  echo "## Count cache (serve, page 1 of the 1,000,000-row table, 8 connections)"
  echo
  echo "| serve | connections | requests/s | p50 | p90 | p99 | non-2xx | socket errors | load |"
  echo "|---|---|---|---|---|---|---|---|---|"
  declare -A rps cpu
  for rpp in 40 1000; do
    for mode in on off; do
      flags=()
      [[ $mode == off ]] && flags=(--no-count-cache)
      start_serve "$zylgrid" "$(site 1m "$rpp")" "$port" "${flags[@]}"
      cpu[$mode]=$(cpu_per_request "${pids[-1]}" "$port" 20)
      if [[ $rpp == 40 ]]; then
        load_run "count cache $mode" 8 "http://127.0.0.1:$port/"
        rps[$mode]=$(cat "$work/last_rps")
      fi
      stop_last
    done
    if [[ $rpp == 40 ]]; then
      echo
      echo "Server CPU per request (20 requests): cache on ${cpu[on]} ms, off ${cpu[off]} ms."
      python3 -c "import sys; print('Count cache: %.1fx the requests/s, %.1fx less CPU per request.' % (float(sys.argv[1]) / float(sys.argv[2]), float(sys.argv[4]) / float(sys.argv[3])))" "${rps[on]}" "${rps[off]}" "${cpu[on]}" "${cpu[off]}"
    else
      # With 1000 rows per page the toolbars' page lists (one option per
      # page, twice) shrink from 50,000 to 2,000 lines, so the count weighs more.
      echo "With RowsPerPage=1000: server CPU per request, cache on ${cpu[on]} ms, off ${cpu[off]} ms."
    fi
  done
  echo
fi

if [[ $failed != 0 ]]; then
  echo "process.sh: some requests failed (see the non-2xx and socket error columns)" >&2
  exit 1
fi

#!/usr/bin/env bash
# Instruction counts of one zylgrid request (docs/PERFORMANCE.md, "Instructions
# per request"): deterministic whatever the machine's load. Needs valgrind and
# the tables and site files bench/process.sh makes in /tmp/zylhg_bench_process.
#
#   bench/callgrind.sh cgi   ZYLGRID ROWS        whole `zylgrid cgi` process
#   bench/callgrind.sh serve ZYLGRID_SERVE ROWS  serve, per request (60 minus 10 requests, / 50)
# ROWS is 40 or 500 (page 1 of the 10,000-row table).
set -euo pipefail
mode=$1 program=$2 rows=$3
work=${ZYL_BENCH_DIR:-/tmp/zylhg_bench_process}
site=$work/site10k-$rows.ini
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
collected() { grep -o 'Collected : [0-9]*' "$1" | grep -o '[0-9]*$'; }
if [[ $mode == cgi ]]; then
  env -i GATEWAY_INTERFACE=CGI/1.1 REQUEST_METHOD=GET QUERY_STRING= SCRIPT_NAME=/grid.cgi \
    ZYLGRID_CONFIG="$site" TMPDIR="$work/tmp" valgrind --tool=callgrind \
    --callgrind-out-file="$out/cgi.out" "$program" cgi >"$out/page" 2>"$out/log"
  echo "cgi, $rows rows: $(collected "$out/log") instructions, $(wc -c <"$out/page") bytes"
  exit 0
fi
port=${PORT:-18499}
serve() {  # serve N: the server's instructions after N + 4 requests
  valgrind --tool=callgrind --callgrind-out-file="$out/serve.out" "$program" serve \
    --config "$site" --port "$port" >/dev/null 2>"$out/log" &
  local pid=$!
  for _ in $(seq 600); do curl -fsS -o /dev/null "http://127.0.0.1:$port/" 2>/dev/null && break; sleep 0.2; done
  python3 - "$port" "$1" <<'PY'
import http.client, sys
connection = http.client.HTTPConnection("127.0.0.1", int(sys.argv[1]), timeout=600)
for _ in range(int(sys.argv[2]) + 4):
    connection.request("GET", "/")
    answer = connection.getresponse()
    answer.read()
    assert answer.status == 200
PY
  kill -TERM "$pid"
  wait "$pid" || true
  collected "$out/log"
}
few=$(serve 10)
many=$(serve 60)
echo "serve, $rows rows: $(((many - few) / 50)) instructions per request"

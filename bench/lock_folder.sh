#!/bin/bash
# Request times of zylgrid's CGI mode with a crowded update-lock folder:
# five GETs of an editable grid with an empty folder, then five with
# 300,000 lock files an hour old (a day of page views, none expired).
# usage: bench/lock_folder.sh [ZYLGRID] (default build/apps/zylgrid/zylgrid)
set -e
zylgrid=$(realpath "${1:-build/apps/zylgrid/zylgrid}")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
python3 - "$dir" <<'PY'
import sqlite3, sys
c = sqlite3.connect(sys.argv[1] + "/shop.db")
c.execute("CREATE TABLE customers (Id INTEGER PRIMARY KEY, Name TEXT)")
c.execute("INSERT INTO customers (Name) VALUES ('Ada'), ('Bob')")
c.commit()
open(sys.argv[1] + "/site.ini", "w").write("[Customers]\nSource=sqlite:shop.db\nTable=customers\nEditable=1\n")
PY
requests() {
  local out="$1:"
  for _ in 1 2 3 4 5; do
    local start=$(date +%s%N)
    (cd "$dir" && env -i GATEWAY_INTERFACE=CGI/1.1 REQUEST_METHOD=GET QUERY_STRING= TMPDIR="$dir/tmp" \
       SCRIPT_NAME=/shop.cgi ZYLGRID_CONFIG="$dir/site.ini" "$zylgrid" > /dev/null)
    out="$out $(( ($(date +%s%N) - start) / 1000000 ))"
  done
  echo "$out ms; lock files left: $(ls "$dir/tmp" | grep -c '\.upd$')"
}
mkdir "$dir/tmp"
requests "empty folder"
python3 - "$dir/tmp" <<'PY'
import os, sys, time
old = time.time() - 3600
for i in range(300000):
    path = "%s/zylgrid.%08X-0000-4000-8000-000000000000.upd" % (sys.argv[1], i)
    open(path, "w").close()
    os.utime(path, (old, old))
PY
requests "300,000 locks"
for _ in $(seq 120); do  # the sweep runs beside the requests: wait for it
  [ "$(ls "$dir/tmp" | grep -c '\.upd$')" -le 100010 ] && break
  sleep 1
done
echo "after the sweep: $(ls "$dir/tmp" | grep -c '\.upd$') lock files"

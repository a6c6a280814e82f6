#!/usr/bin/env bash
# Takes the README's screenshots with headless Chromium:
#   docs/images/grid-default.png  one grid with every default, over the sample customers
#   docs/images/demo.png          the demo page (customers and their editable orders), modern theme, light
#   docs/images/demo-dark.png     the same with the dark scheme preferred
#   docs/images/demo-phone.png    the same 390 pixels wide (the grid scrolls inside its frame)
# Usage: tools/demo-data/screenshots.sh [path/to/zylgrid]
set -euo pipefail
cd "$(dirname "$0")/../.."
zylgrid=${1:-build/apps/zylgrid/zylgrid}
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
wait_for() {
  for _ in $(seq 1 100); do
    curl -fs -o /dev/null "$1" && return 0
    sleep 0.1
  done
  echo "screenshots: $1 does not answer" >&2
  return 1
}
shoot() {  # url file width height [chromium flags]
  local profile
  profile=$(mktemp -d)
  chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --hide-scrollbars --user-data-dir="$profile" --screenshot="$2" --window-size="$3,$4" "${@:5}" "$1" \
    >/dev/null 2>&1
  rm -rf "$profile"
  echo "wrote $2"
}

mkdir -p docs/images
demo_port=$(free_port)
TMPDIR=$work "$zylgrid" demo --port "$demo_port" --data "$work/demo" >/dev/null 2>"$work/demo.log" &
pids+=($!)
wait_for "http://127.0.0.1:$demo_port/"
shoot "http://127.0.0.1:$demo_port/" docs/images/demo.png 1280 900
shoot "http://127.0.0.1:$demo_port/" docs/images/demo-dark.png 1280 900 --force-dark-mode
shoot "http://127.0.0.1:$demo_port/" docs/images/demo-phone.png 390 1100

cat >"$work/default.ini" <<INI
[Page]
Title=Customers
[Customers]
Source=sqlite:$work/demo/zylgrid-demo.db
Table=customers
INI
default_port=$(free_port)
TMPDIR=$work "$zylgrid" serve --config "$work/default.ini" --port "$default_port" >/dev/null 2>"$work/default.log" &
pids+=($!)
wait_for "http://127.0.0.1:$default_port/"
shoot "http://127.0.0.1:$default_port/" docs/images/grid-default.png 1280 800

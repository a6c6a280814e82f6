#!/usr/bin/env bash
# Installs the npm package mdb-reader (pinned in package.json and
# package-lock.json) into this folder's node_modules for the Access writer's
# reader tests. Needs node and npm (scripts/install-deps readers). Idempotent.
set -euo pipefail
cd "$(dirname "$0")"
if ! command -v npm >/dev/null; then
  echo "jet4 setup: npm is not installed (run scripts/install-deps readers)" >&2
  exit 1
fi
if [[ -f node_modules/mdb-reader/package.json ]] &&
   node -e 'process.exit(require("./node_modules/mdb-reader/package.json").version === "3.2.0" ? 0 : 1)'; then
  exit 0
fi
npm ci --no-audit --no-fund --loglevel=error

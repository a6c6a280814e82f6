#!/usr/bin/env bash
# Installs the npm package axe-core (pinned in package.json and
# package-lock.json) into this folder's node_modules for the accessibility
# checks of e2e/test_accessibility.py. Needs npm (scripts/install-deps
# readers). Idempotent.
set -euo pipefail
cd "$(dirname "$0")"
if ! command -v npm >/dev/null; then
  echo "axe setup: npm is not installed (run scripts/install-deps readers)" >&2
  exit 1
fi
if [[ -f node_modules/axe-core/package.json ]] &&
   node -e 'process.exit(require("./node_modules/axe-core/package.json").version === "4.10.2" ? 0 : 1)'; then
  exit 0
fi
npm ci --no-audit --no-fund --loglevel=error

#!/usr/bin/env bash
# Installs what is missing, builds, and starts the desktop program
# (tarvo-cli --help when the desktop program is not built).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
if [ -x build/src/app/tarvo ]; then
  exec build/src/app/tarvo "$@"
fi
exec build/src/tarvo-cli --help

#!/usr/bin/env bash
# Installs what is missing, builds into build/ and runs every test.
set -euo pipefail
ZARN_ROOT=$(cd "$(dirname "$0")" && pwd)
source "$ZARN_ROOT/scripts/setup.sh"

zarn_install_missing
zarn_build build -DZARN_WERROR="${ZARN_WERROR:-OFF}"
cd "$ZARN_ROOT/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)"

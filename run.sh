#!/usr/bin/env bash
# Installs what is missing, builds into build/ and starts the editor on FILE (or on the
# bundled example form).
set -euo pipefail
ZARN_ROOT=$(cd "$(dirname "$0")" && pwd)
source "$ZARN_ROOT/scripts/setup.sh"

zarn_install_missing
zarn_build build

if [ $# -gt 0 ]; then
    exec "$ZARN_ROOT/build/zarneditor" "$@"
fi
exec "$ZARN_ROOT/build/zarneditor" "$ZARN_ROOT/build/examples/example.zarn"

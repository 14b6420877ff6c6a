#!/usr/bin/env bash
# Installs tracery-grammar from the npm registry beside this script when it
# is missing, then times COUNT expansions of a grammar built from the data
# folder. Usage: bench/tracery/run.sh DATA_FOLDER COUNT
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [[ ! -f $here/node_modules/tracery-grammar/package.json ]]; then
    npm install --prefix "$here" --no-save --no-package-lock --no-audit --no-fund \
        --loglevel=error tracery-grammar >&2
fi
exec node "$here/expand.js" "$here/node_modules/tracery-grammar" "$1" "$2"

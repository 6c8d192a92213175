#!/usr/bin/env bash
# The tedious test: the driver comes from the npm registry, installed on first use into
# PASTA (outside the repository) at the versions package-lock.json pins.
# Uso: tedious.sh PASTA
set -euo pipefail
fonte="$(cd "$(dirname "$0")" && pwd)"
destino="$1"
mkdir -p "$destino"
if ! cmp -s "$fonte/package-lock.json" "$destino/package-lock.json" ||
    [ ! -d "$destino/node_modules/tedious" ]; then
    cp "$fonte/package.json" "$fonte/package-lock.json" "$destino/"
    (cd "$destino" && npm ci --no-audit --no-fund --loglevel=error)
fi
NODE_PATH="$destino/node_modules" node "$fonte/tedious_teste.js"

#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds everything with warnings as errors and runs
# every test. Usage: scripts/testar.sh [BUILD_FOLDER]
set -euo pipefail
raiz="$(cd "$(dirname "$0")/.." && pwd)"
pasta="${1:-$raiz/build}"
bash "$raiz/scripts/preparar.sh"
bash "$raiz/scripts/compilar.sh" "$pasta"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$pasta" --output-on-failure --parallel "$(nproc)" --timeout 600

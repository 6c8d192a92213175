#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds the programs and runs the main job.
set -euo pipefail
raiz="$(cd "$(dirname "$0")/.." && pwd)"
pasta="$raiz/build"
bash "$raiz/scripts/preparar.sh"
bash "$raiz/scripts/compilar.sh" "$pasta"
"$pasta/bin/zolvek-cli" --version

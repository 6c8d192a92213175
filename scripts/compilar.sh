#!/usr/bin/env bash
# Configures and builds into the given folder (default: build). Extra arguments go
# to CMake's configure step. Set ZOLVEK_SANITIZAR=1 for an ASan/UBSan build.
set -euo pipefail
raiz="$(cd "$(dirname "$0")/.." && pwd)"
pasta="${1:-$raiz/build}"
shift || true
opcoes=(-DZOLVEK_WERROR=ON)
[ "${ZOLVEK_SANITIZAR:-0}" = "1" ] && opcoes+=(-DZOLVEK_SANITIZAR=ON -DZOLVEK_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
# A compiler cache, when the machine has one, keeps rebuilds of many checkouts short.
command -v ccache >/dev/null 2>&1 && opcoes+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
gerador=()
command -v ninja >/dev/null 2>&1 && gerador=(-G Ninja)
[ -f "$pasta/CMakeCache.txt" ] && gerador=()
cmake -S "$raiz" -B "$pasta" "${gerador[@]}" "${opcoes[@]}" "$@"
cmake --build "$pasta" --parallel "$(nproc)"

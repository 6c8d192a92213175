#!/usr/bin/env bash
# FreeTDS's tsql runs a script of queries, DDL, a transaction that is rolled back and an
# error against the listener that com_servidor.sh started (ZOLVEK_TDS_PORTA).
set -euo pipefail
pasta="$(cd "$(dirname "$0")" && pwd)"
saida="$(tsql -H 127.0.0.1 -p "$ZOLVEK_TDS_PORTA" -U sa -P '' -D Teste <"$pasta/roteiro_tsql.sql" 2>&1)"
falhas=0
esperar() {
    if ! grep -qF -- "$1" <<<"$saida"; then
        echo "faltou na saída do tsql: $1" >&2
        falhas=1
    fi
}
esperar $'1\tAção\t10.50'
esperar $'2\tBola\t3.25'
esperar $'quantos\n2'
esperar "Msg 208 (severity 16, state 1)"
esperar "Invalid object name 'NaoExiste'."
esperar $'name\nid\nnome\nvalor\nobs'
[ "$falhas" = 0 ] || { echo "$saida" >&2; exit 1; }
echo "tsql: 6 verificações passaram"

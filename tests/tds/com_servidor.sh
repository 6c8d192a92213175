#!/usr/bin/env bash
# Runs a test program against a TDS listener: zolvek-cli servidor on a fresh folder and a
# free loopback port, a database "Teste" created through it, and ZOLVEK_TESTE_MSSQL set
# to reach it through ODBC and FreeTDS (ZOLVEK_TDS_PORTA: its port). The listener stops
# when the program ends.
# Uso: com_servidor.sh ZOLVEK_CLI PROGRAMA [ARGUMENTOS...]
set -euo pipefail
cli="$1"
shift
pasta="$(mktemp -d "${TMPDIR:-/tmp}/zolvek_tds_XXXXXX")"
mkfifo "$pasta/log"
"$cli" servidor --pasta "$pasta/servidor" --porta 0 2>"$pasta/log" &
servidor=$!
exec 3<"$pasta/log"
trap 'kill "$servidor" 2>/dev/null; wait "$servidor" 2>/dev/null; exec 3<&-; rm -rf "$pasta"' EXIT
# The first line says where it listens; the rest of the log goes on to standard error.
read -r linha <&3
porta="$(sed -n 's/.*escutando em 127\.0\.0\.1:\([0-9]*\).*/\1/p' <<<"$linha")"
[ -n "$porta" ] || { echo "o servidor não começou: $linha" >&2; exit 1; }
cat <&3 >&2 &
base="Provider=SQLOLEDB.1;Data Source=127.0.0.1,$porta;User ID=sa;Password="
echo "CREATE DATABASE Teste" | "$cli" sql --sem-transacao --conexao "$base;Initial Catalog=master" -
ZOLVEK_TDS_PORTA="$porta" ZOLVEK_TESTE_MSSQL="$base;Initial Catalog=Teste" "$@"

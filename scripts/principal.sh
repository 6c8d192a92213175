#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds the programs and runs the main job on the
# embedded SQL Server stand-in: a demo company database is created in a fresh server
# folder, analysed ("Analisar": brought to the demo dictionary's structure and
# registered), and its maintenance state is read as the main window's panel shows it.
set -euo pipefail
raiz="$(cd "$(dirname "$0")/.." && pwd)"
pasta="$raiz/build"
bash "$raiz/scripts/preparar.sh"
bash "$raiz/scripts/compilar.sh" "$pasta"

cli="$pasta/bin/zolvek-cli"
servidor="$pasta/demo-servidor"
rm -rf "$servidor"
base="Provider=Simulador;Data Source=$servidor;User ID=sa;Password="

"$cli" --version
echo "== Criando o banco de demonstração em $servidor" >&2
"$cli" sql --sem-transacao --conexao "$base;Initial Catalog=master" "$raiz/demo/criar_banco.sql"
"$cli" sql --conexao "$base;Initial Catalog=EMPRESA_DEMO" "$raiz/demo/empresa_demo.sql"
echo "== Dicionário de dados" >&2
"$cli" dicionario mostrar | sed -n 1,5p
echo "== Analisando o banco de dados" >&2
# Progress on standard error; the registered outcome and the error rows on standard
# output, the rows also as CSV. Exit status 0 only for "executado com sucesso".
"$cli" analisar --conexao "$base;Initial Catalog=EMPRESA_DEMO" --erros "$pasta/demo-erros.csv"
echo "== Situação do banco" >&2
# The analysed database carries the dictionary's revision, so the panel is normal.
"$cli" info --conexao "$base;Initial Catalog=EMPRESA_DEMO"
echo "== Dados fiscais e atualização dos tributos dos itens" >&2
# The script's hundreds of row counts and batch confirmations are left out; anything
# else it prints, a server's message above all, reaches the screen, and a failing
# batch stops the job.
"$cli" sql --conexao "$base;Initial Catalog=EMPRESA_DEMO" "$raiz/demo/fiscal_demo.sql" |
  sed -e '/^Linhas afetadas: [0-9]*$/d' -e '/^Comando executado com sucesso$/d'
# The outcome and the items that could not be completed (exit status 1: the run
# still registers itself); any other failure stops the job.
situacao=0
"$cli" atualizar-tributos --sim --conexao "$base;Initial Catalog=EMPRESA_DEMO" \
  > "$pasta/demo-tributos.txt" || situacao=$?
sed -n '/^Atualização dos tributos dos itens  /,$p' "$pasta/demo-tributos.txt"
[ "$situacao" -le 1 ] || { cat "$pasta/demo-tributos.txt"; exit "$situacao"; }

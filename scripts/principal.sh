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

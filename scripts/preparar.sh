#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Zolvek need.
# Idempotent: packages already present are left alone.
set -euo pipefail

PACOTES=(
  build-essential cmake ninja-build pkg-config git clang-format ccache lld
  qt6-base-dev libqt6printsupport6 libqt6svg6 qt6-qpa-plugins libgl1-mesa-dev
  qt6-translations-l10n
  unixodbc unixodbc-dev tdsodbc libsqliteodbc
  libsqlite3-dev sqlite3 libsodium-dev nettle-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  fonts-dejavu-core
  libboost-dev
  libssl-dev openssl freetds-bin python3-pymssql nodejs
  nlohmann-json3-dev libvalijson-dev
)

faltando=()
for p in "${PACOTES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || faltando+=("$p")
done

if [ ${#faltando[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  if [ -z "$(ls -A /var/lib/apt/lists 2>/dev/null | grep -v -e lock -e partial)" ] || ! apt-cache show "${faltando[0]}" >/dev/null 2>&1; then
    $SUDO apt-get update -q
  fi
  $SUDO apt-get install -y -q --no-install-recommends "${faltando[@]}"
fi

# npm (for the tedious test of the TDS listener) comes with some builds of nodejs and in
# a package of its own with Debian's.
if ! command -v npm >/dev/null 2>&1; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends npm
fi

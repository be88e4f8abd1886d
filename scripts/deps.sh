#!/usr/bin/env bash
# Installs every Debian package the build, the program and its tests need. Safe to run again:
# it asks apt only for what is not installed yet.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev qt6-translations-l10n
  unixodbc-dev unixodbc odbcinst
  odbc-mdbtools libsqliteodbc odbc-postgresql postgresql
  fonts-wqy-zenhei fonts-noto-cjk fonts-ocr-b
  socat xvfb poppler-utils clang-format clang
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "deps: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

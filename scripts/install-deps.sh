#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need,
# but only those that are missing, so a second run costs nothing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev
  libcurl4-openssl-dev libpcre2-dev libicu-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  python3 fonts-wqy-microhei
  clang libclang-rt-14-dev
  dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = installed ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "need root or sudo to install packages" >&2; exit 1; }
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

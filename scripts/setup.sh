#!/usr/bin/env bash
# Installs whatever Yarrow needs to build, test and run on Debian 12 and is
# still missing. Safe to run again: it does nothing when all is there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git ccache
    qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev libgl-dev liburing-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-dev clang-format
    fonts-noto-cjk xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

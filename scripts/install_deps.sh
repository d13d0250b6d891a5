#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running need.
# Idempotent: when every package is present it returns without touching apt.
set -euo pipefail

PACKAGES=(
  g++ cmake make pkg-config
  libboost-program-options-dev libboost-graph-dev
  nlohmann-json3-dev libgsl-dev libgtest-dev
  graphviz clang-format clang libclang-rt-14-dev libomp-14-dev
  python3
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
echo "installing: ${missing[*]}" >&2
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"

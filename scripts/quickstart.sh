#!/usr/bin/env bash
# Installs what is needed, builds build/quorvane and runs it on the shipped
# example: five sensors with a known causal structure (see README.md).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install_deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target quorvane

mkdir -p build/example
echo "gamma per pair (rows) and delay 1, 2, 3 (columns):"
./build/quorvane -f examples/sensors.txt -N examples/sensors.names -p 0.5 \
  -B 1 -E 3 -y true -l build/example/result.log -q --seed 1 \
  | paste -d' ' examples/pairs.txt -
./build/quorvane -f examples/sensors.txt -N examples/sensors.names -p 0.5 \
  -k "0:1" -d 1 -a -w build/example/ -q --seed 1
echo "drawing: build/example/model_pressure_flow_DEL_1.png"

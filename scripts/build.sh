#!/usr/bin/env bash
# Configures build/ and builds everything with two jobs.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DVFS_WERROR=ON >/dev/null
cmake --build "$root/build" -j2

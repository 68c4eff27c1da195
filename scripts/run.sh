#!/usr/bin/env bash
# The run command: installs what is missing, builds, then starts the program with the
# arguments given.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/build.sh" >/dev/null
exec "$root/build/varnelfilesync" "$@"

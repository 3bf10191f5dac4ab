#!/usr/bin/env bash
# Builds everything and starts Corvanta on the simulated PC named by CORVANTA_MACHINE
# (default: a per-user machine seeded from the Windows 10 profile).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CORVANTA_BUILD_DIR:-$root/build}
"$root/scripts/build.sh"
source "$root/scripts/headless-env.sh"
bin="$build/bin"
if [ -x "$bin/corvanta" ]; then
  if [ "${QT_QPA_PLATFORM:-}" = offscreen ]; then
    echo "No display: Corvanta runs offscreen. To see its window, run under a display," \
         "e.g. 'xvfb-run -a $0' with a VNC viewer, or on a desktop session."
  fi
  exec "$bin/corvanta" "$@"
fi
echo "The window host is not built yet; showing the simulated PC instead."
exec "$bin/corvanta-sim" show

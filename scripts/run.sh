#!/usr/bin/env bash
# Builds everything and starts Corvanta on the simulated PC named by CORVANTA_MACHINE
# (default: a per-user machine seeded from the Windows 10 profile).
#
# As root, it first starts the loopback test peers (tests/lan/lan.sh lo-up: SNMP printers at
# 127.0.0.5 and 127.0.0.9, SMB hosts at 127.0.0.20 and 127.0.0.21), which the default PC's
# adapter covers, so that a first scan finds two network printers; they stop when Corvanta
# exits.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CORVANTA_BUILD_DIR:-$root/build}
"$root/scripts/build.sh"
source "$root/scripts/headless-env.sh"
bin="$build/bin"
lan="$root/tests/lan/lan.sh"

# Answers 0 when it started the peers; says in one line what it did or why not.
start_loopback_peers() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "Loopback test peers not started: they need root (run as root to have a scan find two printers)."
    return 1
  fi
  local program
  for program in snmpd smbd nmbd; do
    if ! command -v "$program" >/dev/null && [ ! -x "/usr/sbin/$program" ]; then
      echo "Loopback test peers not started: $program is missing (apt-get install snmpd samba)."
      return 1
    fi
  done
  if ss -lun 2>/dev/null | grep -q '127\.0\.0\.5:161 '; then
    echo "Loopback test peers not started: something already answers SNMP on 127.0.0.5 (peers of another run?)."
    return 1
  fi
  CORVANTA_LAN_PREFIX=run "$lan" lo-up >/dev/null 2>&1
  echo "Started loopback test peers: SNMP printers 127.0.0.5 and 127.0.0.9, SMB hosts 127.0.0.20 and 127.0.0.21 (stopped when Corvanta exits)."
}

if [ -x "$bin/corvanta" ]; then
  if [ "${QT_QPA_PLATFORM:-}" = offscreen ]; then
    echo "No display: Corvanta runs offscreen. To see its window, run under a display," \
         "e.g. 'xvfb-run -a $0' with a VNC viewer, or on a desktop session."
  fi
  if start_loopback_peers; then
    trap 'CORVANTA_LAN_PREFIX=run "$lan" lo-down >/dev/null 2>&1' EXIT
    status=0
    "$bin/corvanta" "$@" || status=$?
    exit "$status"
  fi
  exec "$bin/corvanta" "$@"
fi
echo "The window host is not built yet; showing the simulated PC instead."
exec "$bin/corvanta-sim" show

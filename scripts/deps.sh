#!/usr/bin/env bash
# Installs the Debian packages Corvanta builds and tests with, or the packages given as
# arguments instead. Safe to run again: it only calls apt-get when something is missing.
set -euo pipefail

packages=("$@")
[ ${#packages[@]} -gt 0 ] || packages=(
  build-essential cmake ninja-build pkg-config clang-format
  qtbase5-dev qtwebengine5-dev libqt5webengine5 qtwebengine5-dev-tools
  libsnmp-dev libcpp-httplib-dev libsmbclient-dev
  xvfb xauth fonts-dejavu-core
  # CJK glyphs for the page and the message boxes ("驱动", "提示"): the smallest complete set
  fonts-wqy-microhei
  # the OCR font installOcrFont installs: OCR-A, renamed "OCR A Extended" at build time
  fonts-ocr-a python3-fonttools libfreetype-dev
  # peers of the test LAN (network tests)
  snmpd snmp samba smbclient iputils-ping iproute2 procps
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Installs the Debian 12 packages the program needs to build, run and be tested.
# Runs as root (or through sudo); does nothing when everything is already installed.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libqt6printsupport6 qt6-qpa-plugins
    libsqlite3-dev
    fonts-liberation   # "Courier New" of the reports maps to Liberation Mono
    poppler-utils      # pdfinfo/pdftotext: the print tests read the PDFs they print
    clang libclang-rt-14-dev  # fuzz/: libFuzzer with address and undefined-behaviour sanitizers
    dpkg-dev file      # the Debian package: dpkg-shlibdeps finds its dependencies, file its programs
    lintian appstream  # the package check: lintian, and appstreamcli for the metainfo
    libxlsxwriter-dev  # the reports' export to .xlsx spreadsheets
    unzip              # the export tests read the .xlsx files they write (a zip of XML)
    libpq-dev          # a company's books on a PostgreSQL server: the client library
    postgresql         # the server tests start a throw-away PostgreSQL 15 server of their own
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Instaliram pakete: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

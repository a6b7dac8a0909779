#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing; with
# package names as arguments, those instead.
set -euo pipefail

default_packages=(
    cmake ninja-build g++ make
    libgtest-dev libgmock-dev libbenchmark-dev
    libcli11-dev nlohmann-json3-dev libcsv-dev
    qt6-base-dev fonts-dejavu-core fonts-dejavu-extra
)
if [ $# -gt 0 ]; then
    packages=("$@")
else
    packages=("${default_packages[@]}")
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    # Another install may hold dpkg's lock for a while: wait for it.
    lock=(-o DPkg::Lock::Timeout=900)
    $sudo apt-get "${lock[@]}" update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get "${lock[@]}" install -y -qq --no-install-recommends "${missing[@]}"
fi

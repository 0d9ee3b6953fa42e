#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that are missing.
# Runs unattended (CI: root, no stdin); elsewhere through sudo.
set -euo pipefail

# The one list of what the project needs from Debian.
packages=(
    cmake ninja-build g++                          # native build
    clang libclang-rt-14-dev                       # fuzz build (libFuzzer)
    libgtest-dev libgmock-dev googletest           # googletest: sources for the Windows build
    libbenchmark-dev nlohmann-json3-dev
    g++-mingw-w64-x86-64 mingw-w64-tools           # Windows build; widl
    g++-mingw-w64-i686 nsis                        # x86 DLL and the installer (make package)
    libwine-dev                                    # widl's IDL imports
    wine wine64 fonts-wine xvfb                    # Windows tests
    imagemagick                                    # screenshots
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$package" 2>/dev/null || true)
    [[ $status == ii* ]] || missing+=("$package")
done
((${#missing[@]})) || exit 0

echo "install-deps: installing ${missing[*]}"
sudo=()
if ((EUID != 0)); then
    command -v sudo >/dev/null || { echo "install-deps: not root and no sudo" >&2; exit 1; }
    sudo=(sudo)
fi
apt=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -q -o DPkg::Lock::Timeout=300)
"${apt[@]}" update
"${apt[@]}" install -y --no-install-recommends "${missing[@]}" </dev/null

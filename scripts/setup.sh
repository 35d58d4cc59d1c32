#!/usr/bin/env bash
# Installs what the build needs on a Debian machine (only what is missing), then configures
# and builds into BUILD_DIR (default: build). Extra arguments go to cmake's configure step.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ ccache pkg-config qt6-base-dev libcurl4-openssl-dev
          libsimpleini-dev nlohmann-json3-dev libcpp-httplib-dev libgtest-dev
          clang-format clang libclang-rt-14-dev xvfb xauth xdotool imagemagick fonts-wqy-microhei
          fonts-arphic-uming libreoffice-writer-nogui curl wget zlib1g-dev chromium lintian
          appstream desktop-file-utils librsvg2-bin)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq \
        "${missing[@]}" >/dev/null
fi

build_dir="${BUILD_DIR:-build}"
# An existing build keeps its type unless one is asked for, so the two commands share it.
type_option=()
if [ -n "${BUILD_TYPE:-}" ] || [ ! -f "$build_dir/CMakeCache.txt" ]; then
    type_option=(-DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}")
fi
cmake -S . -B "$build_dir" -G Ninja "${type_option[@]}" "$@" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"

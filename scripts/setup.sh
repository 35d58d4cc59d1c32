#!/usr/bin/env bash
# Installs what the build needs on a Debian machine (only what is missing), then configures
# and builds into BUILD_DIR (default: build). Extra arguments go to cmake's configure step.
# SETUP=programs installs only what pagewren, pagewren-cli and spacesim need to build and run
# (no tests, no LibreOffice, no browser) and builds only those three; the default installs
# everything the test command uses and builds every target.
set -euo pipefail
cd "$(dirname "$0")/.."

program_packages=(cmake ninja-build g++ pkg-config qt6-base-dev libcurl4-openssl-dev
                  libsimpleini-dev nlohmann-json3-dev libcpp-httplib-dev zlib1g-dev
                  libzip-dev libgumbo-dev
                  fonts-wqy-microhei fonts-arphic-uming)
test_packages=(ccache libgtest-dev clang-format clang libclang-rt-14-dev xvfb xauth xdotool
               imagemagick libreoffice-writer-nogui curl wget strace chromium lintian appstream
               desktop-file-utils librsvg2-bin hugo pelican pandoc epubcheck default-jre-headless
               libxml2-utils python3-bs4 python3-lxml)
setup=${SETUP:-all}
packages=("${program_packages[@]}")
[ "$setup" = programs ] || packages+=("${test_packages[@]}")

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing ${#missing[@]} missing packages with apt-get: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    recommends=()
    # The three programs need nothing that the packages only recommend.
    [ "$setup" = programs ] && recommends=(--no-install-recommends)
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${recommends[@]}" \
        "${missing[@]}" >/dev/null
fi

build_dir="${BUILD_DIR:-build}"
# An existing build keeps its type and its choice of tests unless asked otherwise, so the
# two commands share it.
configure_options=()
if [ -n "${BUILD_TYPE:-}" ] || [ ! -f "$build_dir/CMakeCache.txt" ]; then
    configure_options+=(-DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}")
fi
targets=()
if [ "$setup" = programs ]; then
    [ -f "$build_dir/CMakeCache.txt" ] || configure_options+=(-DPAGEWREN_TESTS=OFF)
    targets=(--target pagewren pagewren-cli spacesim)
else
    configure_options+=(-DPAGEWREN_TESTS=ON)
fi
echo "Configuring $build_dir"
cmake -S . -B "$build_dir" -G Ninja "${configure_options[@]}" "$@" >/dev/null
echo "Building ${targets[*]:-every target} in $build_dir with $(nproc) jobs"
cmake --build "$build_dir" -j"$(nproc)" "${targets[@]}"

#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
set -euo pipefail
packages=(
  cmake ninja-build clang libclang-rt-14-dev googletest
  g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64 xvfb xserver-xephyr x11-utils imagemagick fonts-noto-cjk
  libx11-dev libxext-dev libxtst-dev xscreensaver e2fsprogs util-linux strace
  nsis osslsigncode openssl dpkg-dev file lintian groff git
  emscripten nodejs chromium firefox-esr
)
# npm (the web tests' browser driver comes from it) ships inside some nodejs builds.
command -v npm >/dev/null || packages+=(npm)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}" >/dev/null

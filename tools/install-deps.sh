#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and nothing else.
# Runs as root or through sudo; does nothing when everything is already there.
set -euo pipefail

packages=(
  g++ cmake ninja-build make pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libqt6openglwidgets6 libqt6printsupport6
  libgl-dev libglu1-mesa-dev libgl1-mesa-dri libglx-mesa0
  libgtest-dev libgmock-dev libbenchmark-dev libopenblas-dev liblapack-dev
  libxcb1-dev xvfb fonts-dejavu-core locales-all
  clang libclang-rt-14-dev
  g++-aarch64-linux-gnu qemu-user googletest
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"

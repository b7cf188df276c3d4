#!/usr/bin/env bash
# Builds the platform, model and solver libraries and their tests for arm64
# with Debian's cross compiler and runs the tests under qemu-user:
#   bash tools/arm64-test.sh [builddir]      (default build-arm64)
# GoogleTest is built for arm64 from Debian's sources (/usr/src/googletest).
# The solver's band routines take their plain path there; the pinned
# listings hold it to the digits of the vector paths of x86-64.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$(realpath -m "${1:-$root/build-arm64}")"
jobs="${JOBS:-$(nproc)}"
for tool in aarch64-linux-gnu-g++ qemu-aarch64 cmake ninja; do
  command -v "$tool" >/dev/null || { echo "arm64-test: $tool is missing (bash tools/install-deps.sh)" >&2; exit 1; }
done
[[ -f /usr/src/googletest/CMakeLists.txt ]] || { echo "arm64-test: /usr/src/googletest is missing" >&2; exit 1; }
toolchain="$root/tools/aarch64-linux-gnu.cmake"

if [[ ! -f "$out/gtest/lib/cmake/GTest/GTestConfig.cmake" ]]; then
  cmake -S /usr/src/googletest -B "$out/gtest-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$out/gtest" -DBUILD_GMOCK=ON >/dev/null
  cmake --build "$out/gtest-build" -j "$jobs" >/dev/null
  cmake --install "$out/gtest-build" >/dev/null
fi

cmake -S "$root" -B "$out/velk" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELK_GUI=OFF \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DGTest_DIR="$out/gtest/lib/cmake/GTest" >/dev/null
cmake --build "$out/velk" -j "$jobs" --target velk_platform_tests velk_model_tests velk_analysis_tests
echo "== arm64 tests under qemu-aarch64"
ctest --test-dir "$out/velk" -R '^(platform|model|analysis)\.' --output-on-failure --timeout 600 -j "$jobs"

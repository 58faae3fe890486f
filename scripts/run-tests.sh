#!/bin/sh
# Installs what the machine lacks, builds and runs every test. With
# TARN_SANITIZE=1 the tests are first built and run once more under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -e
cd "$(dirname "$0")/.."
. scripts/packages.sh
tarn_install_packages
export QT_QPA_PLATFORM=offscreen
if [ "${TARN_SANITIZE:-0}" = "1" ]; then
    cmake --preset asan
    cmake --build --preset asan
    ctest --preset asan -j2
fi
cmake --preset default
cmake --build --preset default
ctest --preset default -j2

#!/usr/bin/env bash
# Builds the Debian package of Knjige Lumen: build/knjigelumen_<version>_<arch>.deb.
# Installs what is missing, configures and builds the program (without the tests, when the build
# folder is new), then runs CPack.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
[ -f build/CMakeCache.txt ] ||
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKL_BUILD_TESTS=OFF >/dev/null
cmake --build build --target package_deb
ls build/knjigelumen_*.deb

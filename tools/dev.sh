#!/usr/bin/env bash
# Set-up, build, run and test on Debian or Ubuntu.
#   tools/dev.sh run     install what is missing, build, start Kestovar
#   tools/dev.sh shot    build and render docs/screenshot.png with a sample vault
#   tools/dev.sh test    install what is missing, build, run every test, check the installation
#                        and the Debian package (and the sanitizer build)
#   tools/dev.sh bench   install what is missing, build, run the benchmarks
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-qpa-plugins libgl-dev libxkbcommon-dev
    qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
    libgtest-dev libgmock-dev libbenchmark-dev
    libssl-dev nettle-dev libsodium-dev libzxcvbn-dev
    fonts-liberation
    desktop-file-utils appstream libxml2-utils dpkg-dev lintian
    xvfb xauth xclip zsh dbus at-spi2-core locales
)

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}

# The locales whose name order the benchmarks report, generated where they are missing; without
# root the rows of a missing one are skipped, and the benchmarks say so.
ensure_bench_locales() {
    local name
    for name in en_US.UTF-8 de_DE.UTF-8 fr_FR.UTF-8; do
        if locale -a 2>/dev/null | grep -qix "${name/UTF-8/utf8}"; then
            continue
        fi
        if [ "$(id -u)" -ne 0 ]; then
            echo "Locale $name is not installed and generating it needs root: its benchmark rows are skipped"
            continue
        fi
        echo "Generating locale $name"
        localedef -i "${name%%.*}" -c -f UTF-8 -A /usr/share/locale/locale.alias "$name" ||
            echo "Locale $name could not be generated: its benchmark rows are skipped"
    done
}

jobs=$(nproc)

# The developer's build: warnings are errors, and the tests, benchmarks and tools are built too.
developer=(-DKESTOVAR_WERROR=ON -DBUILD_TESTING=ON -DKESTOVAR_BENCH=ON -DKESTOVAR_TOOLS=ON)

build() { # build <dir> [cmake options...]
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja "${developer[@]}" "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
}

case "${1:-}" in
run)
    install_missing
    build build
    exec build/src/app/kestovar
    ;;
test)
    install_missing
    build build
    (cd build && ctest --output-on-failure -j "$jobs")
    # The installed files validated, the .deb built and its contents checked.
    tools/check_package.sh build
    # The libFuzzer targets, a few seconds each (a longer run: tools/fuzz.sh 150).
    tools/fuzz.sh 5
    # Every test again, widget tests included, under AddressSanitizer and
    # UndefinedBehaviorSanitizer; leaks inside Qt's own libraries are listed in tests/lsan.supp.
    cmake -S . -B build-asan -G Ninja -DKESTOVAR_SANITIZE=ON -DKESTOVAR_WERROR=ON \
        -DBUILD_TESTING=ON -DKESTOVAR_BENCH=OFF \
        -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O0 -g1" >/dev/null
    cmake --build build-asan -j "$jobs"
    (cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
        LSAN_OPTIONS=suppressions="$root/tests/lsan.supp":print_suppressions=0 \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --output-on-failure -j "$jobs")
    ;;
shot)
    install_missing
    build build
    QT_QPA_PLATFORM=offscreen build/tools/kestovar_screenshot docs/screenshot.png
    ;;
bench)
    install_missing
    ensure_bench_locales
    build build-bench -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DKESTOVAR_BENCH=ON
    # Only the programs: the build also leaves folders (bench_*_autogen) under these names.
    for b in build-bench/bench/bench_*; do
        if [ -f "$b" ] && [ -x "$b" ]; then
            "$b"
        fi
    done
    ;;
*)
    echo "usage: tools/dev.sh run|test|bench|shot" >&2
    exit 2
    ;;
esac

#!/usr/bin/env bash
# Builds Tarvo for 64-bit Windows on Debian 12 and writes
# build/windows/tarvo-windows-x86_64.zip: tarvo.exe, the Qt libraries and plugins it
# loads and the MinGW runtime. The toolkit (Qt and gumbo, cross-built from Debian's
# source packages, the versions of the Linux build) is kept in a cache outside the
# checkout, keyed by versions and options, and built only when missing.
# --test: also runs the Windows suites under wine.
# TARVO_WINDOWS_CACHE: where the toolkit cache lives (/var/cache/tarvo-windows).
set -euo pipefail
cd "$(dirname "$0")/.."

run_tests=0
[ "${1:-}" = "--test" ] && run_tests=1

# What the Linux build needs gives the host tools (moc, rcc, uic) and the versions.
packages=(g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
    wine wine64 zip dpkg-dev xz-utils libjpeg62-turbo-dev)
bash scripts/install-deps.sh "${packages[@]}"

qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
gumbo_version=$(dpkg-query -W -f='${Version}' libgumbo-dev)
jpeg_version=$(dpkg-query -W -f='${source:Version}' libjpeg62-turbo-dev)
options=$(cat scripts/windows/build-toolkit.sh cmake/mingw-w64-x86_64.cmake | sha256sum | cut -c1-12)
cache=${TARVO_WINDOWS_CACHE:-/var/cache/tarvo-windows}
prefix=$cache/qt-$qt_version-gumbo-$gumbo_version-jpeg-${jpeg_version#*:}-$options
if [ ! -f "$prefix/.complete" ]; then
    echo "Building the Windows toolkit into $prefix (once; about half an hour on two cores)"
    mkdir -p "$cache"
    rm -rf "$prefix"
    bash scripts/windows/build-toolkit.sh "$prefix" "$qt_version" "$gumbo_version" "$jpeg_version"
    touch "$prefix/.complete"
fi

build=build/windows/build
PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig PKG_CONFIG_SYSROOT_DIR= \
    cmake -S . -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
    -DTARVO_WINDOWS_PREFIX="$prefix" \
    -DCMAKE_PREFIX_PATH="$prefix" \
    -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_BUILD_TYPE=Release \
    -DTARVO_BUILD_BENCH=OFF \
    -DTARVO_BUILD_TESTS=$([ $run_tests = 1 ] && echo ON || echo OFF) >/dev/null
cmake --build "$build"

# The zip: the program and its web pages' helper, every library they load that is not
# the system's (found by following the import tables), and the plugins Qt loads.
stage=build/windows/stage/tarvo
rm -rf "$stage" && mkdir -p "$stage"
cp "$build/src/main/tarvo.exe" "$build/src/main/tarvo-web.exe" "$stage/"
search=("$prefix/bin" "$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")"
    "$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")")
for plugin in platforms/qwindows.dll imageformats/qgif.dll imageformats/qico.dll \
    styles/qwindowsvistastyle.dll; do
    mkdir -p "$stage/${plugin%/*}"
    cp "$prefix/plugins/$plugin" "$stage/$plugin"
done
printf '[Paths]\nPrefix = .\nPlugins = .\n' >"$stage/qt.conf"
pending=("$stage"/tarvo.exe "$stage"/tarvo-web.exe "$stage"/*/*.dll)
while ((${#pending[@]})); do
    file=${pending[0]}
    pending=("${pending[@]:1}")
    for dll in $(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p'); do
        [ -f "$stage/$dll" ] && continue
        for dir in "${search[@]}"; do
            if [ -f "$dir/$dll" ]; then
                cp "$dir/$dll" "$stage/"
                pending+=("$stage/$dll")
                break
            fi
        done
    done
done
x86_64-w64-mingw32-strip --strip-unneeded "$stage"/*.exe "$stage"/*.dll "$stage"/*/*.dll
rm -f build/windows/tarvo-windows-x86_64.zip
(cd build/windows/stage && zip -qr9 ../tarvo-windows-x86_64.zip tarvo)
echo "Wrote build/windows/tarvo-windows-x86_64.zip ($(du -h build/windows/tarvo-windows-x86_64.zip | cut -f1))"

if ((run_tests)); then
    # Wine needs an X display even for programs that show nothing (Qt's message window).
    xvfb-run -a -s "-nolisten tcp" ctest --test-dir "$build" --output-on-failure --timeout 600
    WINEPREFIX=$PWD/$build/wineprefix wineserver -k 2>/dev/null || true
fi

#!/usr/bin/env bash
# Cross-builds what Tarvo links on Windows (Qt's base modules with libjpeg-turbo, and
# gumbo) from Debian's own source packages, the same versions as the Linux build, into
# PREFIX.
# Usage: build-toolkit.sh PREFIX QT_VERSION GUMBO_VERSION JPEG_VERSION
# The options below are part of the cache key: any change here builds a new toolkit.
set -euo pipefail
prefix=$1
qt_version=$2
gumbo_version=$3
jpeg_version=$4
here=$(cd "$(dirname "$0")" && pwd)
toolchain=$(cd "$here/../../cmake" && pwd)/mingw-w64-x86_64.cmake

work=$(mktemp -d "${prefix%/*}/work.XXXXXX")
# Kept when something fails, for a look at what did.
trap 'if (($? == 0)); then rm -rf "$work"; else echo "The toolkit build stopped; its files are in $work" >&2; fi' EXIT

# A scratch apt configuration that reads the source side of this machine's own archives.
apt_dir=$work/apt
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && sed -E 's/^Types:.*/Types: deb-src/' "$f" >"$apt_dir/sources.list.d/${f##*/}"
done
if [ -f /etc/apt/sources.list ]; then
    sed -nE 's/^deb[[:space:]]/deb-src /p' /etc/apt/sources.list >"$apt_dir/sources.list"
else
    : >"$apt_dir/sources.list"
fi
apt_src() {
    apt-get -o Dir::Etc::SourceList="$apt_dir/sources.list" \
        -o Dir::Etc::SourceParts="$apt_dir/sources.list.d" \
        -o Dir::State::Lists="$apt_dir/lists" \
        -o Dir::Cache="$apt_dir/cache" "$@"
}
apt_src -q update >/dev/null
fetch_source() { # package version
    mkdir -p "$work/$1"
    (cd "$work/$1" && apt_src -q source --download-only "$1=$2" >/dev/null 2>&1 &&
        dpkg-source --no-check -x ./*.dsc src >/dev/null)
}
fetch_source qt6-base "$qt_version"
qt_src=$work/qt6-base/src
if fetch_source gumbo-parser "$gumbo_version"; then
    gumbo_src=$work/gumbo-parser/src
else
    # Some archives carry no source for gumbo. The npm registry has upstream gumbo's own
    # release (0.10.1, the version Debian packages) inside its Node binding; take it by
    # its checksum.
    echo "No Debian source for gumbo-parser here: taking upstream gumbo ${gumbo_version%%+*} from the npm binding." >&2
    command -v npm >/dev/null || apt-get -o DPkg::Lock::Timeout=300 install -y --no-install-recommends npm >/dev/null
    (cd "$work" && npm pack --silent gumbo-parser@0.3.0 >/dev/null)
    echo "d47101b5182186c4646f7eba5107308dbf93392621ae8c12bd35a7d867c8e913  $work/gumbo-parser-0.3.0.tgz" | sha256sum -c --quiet
    tar xzf "$work/gumbo-parser-0.3.0.tgz" -C "$work"
    gumbo_src=$work/package/deps/gumbo-parser
    grep -q "AC_INIT(\[gumbo\], \[${gumbo_version%%+*}\]" "$gumbo_src/configure.ac"
fi

# gumbo: plain C, no configuration needed; a static library and its header.
mkdir -p "$prefix/lib" "$prefix/include" "$prefix/lib/pkgconfig"
(
    cd "$gumbo_src/src"
    objs=()
    for c in *.c; do
        x86_64-w64-mingw32-gcc-posix -std=c99 -O2 -c "$c" -o "$work/gumbo-${c%.c}.o"
        objs+=("$work/gumbo-${c%.c}.o")
    done
    x86_64-w64-mingw32-ar rcs "$prefix/lib/libgumbo.a" "${objs[@]}"
    cp gumbo.h tag_enum.h "$prefix/include/"
)
mkdir -p "$prefix/share/licenses/gumbo"
cp "$gumbo_src/COPYING" "$prefix/share/licenses/gumbo/"
cat >"$prefix/lib/pkgconfig/gumbo.pc" <<PC
prefix=$prefix
Name: gumbo
Description: HTML5 parser (cross-built for Windows)
Version: ${gumbo_version%%-*}
Libs: -L\${prefix}/lib -lgumbo
Cflags: -I\${prefix}/include
PC

# libjpeg-turbo: Debian's repack of Qt carries no JPEG library of its own, so Qt's JPEG
# plugin links this static one. Without SIMD: pictures are small and nasm is not needed.
fetch_source libjpeg-turbo "$jpeg_version"
cmake -S "$work/libjpeg-turbo/src" -B "$work/jpeg-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_CROSSCOMPILING_EMULATOR= \
    -DCMAKE_INSTALL_PREFIX="$work/jpeg" -DCMAKE_BUILD_TYPE=Release \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF \
    >"$prefix.jpeg.log" 2>&1 || { tail -n 40 "$prefix.jpeg.log"; exit 1; }
cmake --build "$work/jpeg-build" --target install >>"$prefix.jpeg.log" 2>&1 ||
    { tail -n 40 "$prefix.jpeg.log"; exit 1; }
mkdir -p "$prefix/share/licenses/libjpeg-turbo"
cp "$work/libjpeg-turbo/src/LICENSE.md" "$prefix/share/licenses/libjpeg-turbo/"

# Qt: only the modules Tarvo uses, shared, with the build tools of the host's Qt.
# Qt 6.4's Windows plugin reaches for the OpenGL loader and the DirectWrite font database
# whenever dynamic GL and DirectWrite 3 are on, even with OpenGL and Direct2D off.
plugin=$qt_src/src/plugins/platforms/windows
sed -i 's/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
    "$plugin/qwindowswindow.cpp"
sed -i 's/^#if QT_CONFIG(directwrite3)$/#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)/' \
    "$plugin/qwindowsintegration.cpp"
cmake -S "$qt_src" -B "$work/qt-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_CROSSCOMPILING_EMULATOR= \
    -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_SHARED_LIBS=ON \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_sql=OFF -DFEATURE_xml=OFF -DFEATURE_concurrent=OFF -DFEATURE_printsupport=OFF \
    -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF -DFEATURE_icu=OFF \
    -DFEATURE_openssl=OFF -DFEATURE_tabletevent=OFF -DFEATURE_direct2d=OFF \
    -DFEATURE_jpeg=ON -DFEATURE_system_jpeg=ON -DFEATURE_androiddeployqt=OFF \
    -DJPEG_INCLUDE_DIR="$work/jpeg/include" -DJPEG_LIBRARY="$(echo "$work"/jpeg/lib*/libjpeg.a)" \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_pcre2=OFF \
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF \
    -DFEATURE_system_doubleconversion=OFF \
    >"$prefix.qt-configure.log" 2>&1 || { tail -n 60 "$prefix.qt-configure.log"; exit 1; }
cmake --build "$work/qt-build" >"$prefix.qt-build.log" 2>&1 ||
    { grep -A 20 '^FAILED:' "$prefix.qt-build.log" | grep -v -e Wattributes -e dllimport | head -n 80; exit 1; }
cmake --install "$work/qt-build" >/dev/null
# Qt's licences and those of the code it bundles into the libraries the zip ships.
(cd "$qt_src" && {
    find . -maxdepth 1 -type f -name 'LICENSE*'
    [ ! -d LICENSES ] || find LICENSES -type f
    find src/3rdparty -type f \( -iname 'LICENSE*' -o -iname 'LICENCE*' -o -iname 'COPYING*' \)
} | while read -r f; do install -D -m 644 "$f" "$prefix/share/licenses/qt/$f"; done)

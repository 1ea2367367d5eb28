#!/usr/bin/env bash
# Builds Tarvo for 64-bit Windows on Debian 12 and writes
# build/windows/tarvo-windows-x86_64.zip: tarvo.exe and its web pages' helper
# tarvo-web.exe, the Qt libraries and plugins they load, the MinGW runtime, a readme and
# the licences of all of it. The toolkit (Qt with libjpeg-turbo, and gumbo, cross-built
# from Debian's source packages, the versions of the Linux build) is kept in a cache
# outside the checkout, keyed by versions and options, and built only when missing.
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
    imageformats/qjpeg.dll styles/qwindowsvistastyle.dll; do
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

# What the zip holds and who may copy it: Tarvo's own licence, and those of the code it
# ships from others, with where their source is.
licenses=$stage/licenses
mkdir -p "$licenses"
cp LICENSE "$licenses/tarvo-GPL-3.0.txt"
cp -r "$prefix/share/licenses/qt" "$prefix/share/licenses/gumbo" \
    "$prefix/share/licenses/libjpeg-turbo" "$licenses/"
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$licenses/mingw-w64-gcc-runtime.txt"
cp /usr/share/doc/mingw-w64-common/copyright "$licenses/mingw-w64-runtime.txt"
cp /usr/share/doc/fonts-wqy-microhei/copyright "$licenses/wqy-microhei.txt"
cat >"$licenses/README.txt" <<EOF
Tarvo: GNU General Public License version 3 or later (tarvo-GPL-3.0.txt).

Qt ${qt_version%%+*} (Qt6Core.dll, Qt6Gui.dll, Qt6Widgets.dll, Qt6Network.dll and the plugins
in platforms/, imageformats/ and styles/): GNU Lesser General Public License version 3
(qt/LICENSES/LGPL-3.0-only.txt, with the GPL it builds on in
qt/LICENSES/GPL-3.0-only.txt); the code Qt bundles keeps its own licences
(qt/src/3rdparty/). Built from Debian's source package qt6-base, version $qt_version
(apt-get source qt6-base=$qt_version), with two build guards added in its Windows
plugin (scripts/windows/build-toolkit.sh in Tarvo's source). You may replace these
libraries with your own build of Qt.

libjpeg-turbo (linked into imageformats/qjpeg.dll): the IJG licence and the modified BSD
licence (libjpeg-turbo/LICENSE.md); Debian's source package libjpeg-turbo, version
$jpeg_version.

gumbo ${gumbo_version%%+*} (linked into tarvo-web.exe): Apache License 2.0 (gumbo/COPYING).

Tarvo Micro Hei (inside tarvo.exe, the glyphs of Tarvo's own texts): a subset of
WenQuanYi Micro Hei 0.2.0-beta, renamed; Apache License 2.0 (wqy-microhei.txt, from
Debian's fonts-wqy-microhei).

The MinGW-w64 runtime: libstdc++-6.dll and libgcc_s_seh-1.dll are GCC's runtime
libraries, under the GNU GPL version 3 with the GCC Runtime Library Exception
(mingw-w64-gcc-runtime.txt); libwinpthread-1.dll is MinGW-w64's winpthreads, under the
MIT and BSD licences listed in mingw-w64-runtime.txt.
EOF
# A readme for whoever unzips it, in Chinese and English, UTF-8 with a byte-order mark
# and CR LF line ends, so that every Notepad shows it.
{
    printf '\xef\xbb\xbf'
    sed 's/$/\r/' <<'EOF'
Tarvo 网络监视器

Tarvo 是一个小巧的网络监视器：每秒显示网络的接收与发送速度、累计流量和连接状态，每 20 秒测一次
网络延迟并给出评价。它的图标在任务栏的通知区域里。

启动：把文件夹解压到任意位置，双击 tarvo.exe。无需安装，它也不保存任何设置。
删除：点窗口标题栏上的关闭按钮退出 Tarvo（窗口隐藏时，先单击通知区域的图标把它显示出来），
然后删除整个文件夹即可。
许可：Tarvo 是自由软件，以 GNU GPL 第 3 版或更新版本发布；随附的第三方组件及其许可见 licenses
文件夹。

Tarvo network monitor

Tarvo is a small network monitor: once a second it shows the receive and send rates,
the bytes received and sent, and whether the computer is connected; every 20 seconds it
measures the network's latency and rates it. Its icon sits in the notification area.

To start it: unzip the folder anywhere and double-click tarvo.exe. It needs no
installation and keeps no settings.
To remove it: quit Tarvo with the close button on its title bar (if the window is
hidden, click its notification-area icon to show it first), then delete the folder.
Licence: Tarvo is free software under the GNU GPL version 3 or later; the third-party
components it ships and their licences are in the licenses folder.
EOF
} >"$stage/readme.txt"
rm -f build/windows/tarvo-windows-x86_64.zip
(cd build/windows/stage && zip -qr9 ../tarvo-windows-x86_64.zip tarvo)
echo "Wrote build/windows/tarvo-windows-x86_64.zip ($(du -h build/windows/tarvo-windows-x86_64.zip | cut -f1))"

if ((run_tests)); then
    # Wine needs an X display even for programs that show nothing (Qt's message window).
    xvfb-run -a -s "-nolisten tcp" ctest --test-dir "$build" --output-on-failure --timeout 600
    WINEPREFIX=$PWD/$build/wineprefix wineserver -k 2>/dev/null || true
fi

#!/usr/bin/env bash
# Builds the Debian package into a scratch folder and checks what it holds and says of
# itself, as Debian's and the desktop's own validators see it. Installing it would
# change the machine, so it is only taken apart.
set -euo pipefail
source_dir=$1 version=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

bash "$source_dir/scripts/package-deb.sh" "$out" >"$out/build.log" 2>&1 ||
  { tail -n 40 "$out/build.log"; fail "the package did not build"; }
# Named after the project's version: the changelog and CMake agree.
deb=$out/tarvo_${version}_amd64.deb
[[ -f "$deb" ]] || fail "no $(basename "$deb") among: $(ls "$out")"

# The source's changes too, so that the copyright file is checked as machine-readable.
lintian --fail-on error,warning "$out"/tarvo_*.changes || fail "lintian finds errors or warnings"

# Every file it holds, and nothing more (no tests, benchmarks or static libraries).
diff <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort) - <<'LIST' || fail "file list"
./etc/xdg/autostart/tarvo.desktop
./usr/bin/tarvo
./usr/libexec/tarvo/tarvo-web
./usr/share/applications/tarvo.desktop
./usr/share/doc/tarvo/changelog.gz
./usr/share/doc/tarvo/copyright
./usr/share/icons/hicolor/128x128/apps/tarvo.png
./usr/share/icons/hicolor/16x16/apps/tarvo.png
./usr/share/icons/hicolor/32x32/apps/tarvo.png
./usr/share/icons/hicolor/48x48/apps/tarvo.png
./usr/share/icons/hicolor/scalable/apps/tarvo.svg
./usr/share/man/man1/tarvo.1.gz
./usr/share/metainfo/example.tarvo.Tarvo.metainfo.xml
LIST

# The libraries come from the binary (dpkg-shlibdeps), with versions.
dpkg-deb -f "$deb" Depends | grep -Eq 'libqt6widgets6 \(>= [0-9]' || fail "no computed dependencies"

root=$out/root
dpkg-deb -x "$deb" "$root"
appstreamcli validate --no-net "$root"/usr/share/metainfo/example.tarvo.Tarvo.metainfo.xml ||
  fail "the metainfo does not validate"
# As installed: the metainfo's launcher is there and agrees with it.
appstreamcli validate-tree --no-net "$root" || fail "the installed tree does not validate"
for entry in "$root"/usr/share/applications/tarvo.desktop "$root"/etc/xdg/autostart/tarvo.desktop; do
  desktop-file-validate "$entry" || fail "$entry does not validate"
done
echo "PASS: $(basename "$deb"), $(stat -c %s "$deb") bytes"

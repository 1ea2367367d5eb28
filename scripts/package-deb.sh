#!/usr/bin/env bash
# Installs what is needed and builds the Debian package, tarvo_<version>_amd64.deb, in
# the folder given (build/deb unless given) with Debian's own tools from debian/, with
# the source package beside it so that lintian can check the source's metadata too.
set -euo pipefail
cd "$(dirname "$0")/.."

out=$(realpath -m "${1:-build/deb}")
bash scripts/install-deps.sh

# dpkg-buildpackage writes the package beside the source tree and leaves its build in
# it, so it builds a copy inside the output folder: the work tree stays clean.
src="$out/tarvo-$(dpkg-parsechangelog -S Version)"
rm -rf "$src" "$out"/tarvo[_-]*
mkdir -p "$src"
tar --exclude=./build --exclude=./.git --exclude=./.cache -cf - . | tar -xf - -C "$src"
(cd "$src" && dpkg-buildpackage --build=full --no-sign -jauto)
rm -rf "$src"
ls "$out"/tarvo_*.deb

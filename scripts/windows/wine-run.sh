#!/usr/bin/env bash
# Runs a Windows program of a cross build under wine: wine-run.sh BUILD_DIR PROGRAM [ARGS…]
# The build has a wine prefix of its own (made once, quietly); the toolkit's and the
# compiler's libraries are found through WINEPATH, Qt's plugins through QT_PLUGIN_PATH,
# both read from BUILD_DIR/wine-paths.
set -euo pipefail
build=$1
shift

winpath() { echo "Z:${1//\//\\}"; }

export WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
# No installers for .NET or the HTML engine: nothing here uses them.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# For the few checks of what wine does not do as Windows does.
export TARVO_UNDER_WINE=1
dirs=()
while IFS= read -r line; do
    case "$line" in
    plugins=*) export QT_PLUGIN_PATH="${line#plugins=}" ;;
    ?*) dirs+=("$(winpath "$line")") ;;
    esac
done <"$build/wine-paths"
WINEPATH=$(IFS=';'; echo "${dirs[*]}")
export WINEPATH

# The first program to run makes the prefix; the others wait for it.
if [ ! -f "$WINEPREFIX/.made" ]; then
    mkdir -p "$WINEPREFIX"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/.made" ]; then
            wineboot --init >/dev/null 2>&1 || true
            wineserver --wait || true
            touch "$WINEPREFIX/.made"
        fi
    ) 9>"$WINEPREFIX.lock"
fi

# A QtTest program's log, written to standard output, does not reach a pipe under wine:
# with TARVO_QTEST set it goes to a file that is shown when the program ends.
log=""
if [ -n "${TARVO_QTEST:-}" ]; then
    log=$(mktemp)
    set -- "$@" -o "$(winpath "$log"),txt"
fi
show_log() {
    if [ -n "$log" ]; then
        cat "$log"
        rm -f "$log"
    fi
}

# TARVO_WINE_NETNS set: the program runs in a network namespace of its own (loopback and
# a veth pair, name server 127.0.0.1 where nothing answers) with a wine server of its own
# started there, since wine reads the interfaces where its server runs.
if [ -z "${TARVO_WINE_NETNS:-}" ]; then
    rc=0
    wine "$@" || rc=$?
    show_log
    exit $rc
fi
if ((EUID != 0)); then
    echo "SKIP: a network namespace of the test's own needs root"
    exit 77
fi
netns=tarvo-wine-$$
cleanup() {
    show_log
    wineserver -k 2>/dev/null || true
    ip netns del "$netns" 2>/dev/null || true
    rm -rf "$etc"
}
trap cleanup EXIT
wineserver -k 2>/dev/null || true
# Its own /etc files for lookups, laid over the machine's inside the namespace.
source "$(dirname "$0")/../../tests/support/netns-etc.sh"
etc=/run/tarvo-netns/$netns
netns_etc_files "$etc"
ip netns add "$netns"
ip -n "$netns" link set lo up
ip -n "$netns" link add tw0 type veth peer name tw1
ip -n "$netns" link set tw0 up
ip -n "$netns" link set tw1 up
netns_exec_args "$netns" "$etc"
"${netns_exec[@]}" wine "$@"

# Shared by the shell tests and runners that put a program in a network namespace of their
# own: the /etc files that name lookups read, brought by the test (as ScratchNetns does
# for the C++ suites), and the command that lays them over the machine's /etc inside the
# namespace, so that a file the machine lacks is there too. Source it.

# netns_etc_files DIR: localhost in hosts, the hosts file before DNS, a name server on
# 127.0.0.1 (where nothing answers unless the test serves one) and a fixed machine id.
# DIR lies outside /etc: an overlay's layer may not lie inside another.
netns_etc_files() {
  mkdir -p "$1"
  printf '127.0.0.1\tlocalhost\n::1\tlocalhost\n' >"$1/hosts"
  echo "hosts: files dns" >"$1/nsswitch.conf"
  echo "nameserver 127.0.0.1" >"$1/resolv.conf"
  echo "7a72766f7465737400000000000000aa" >"$1/machine-id"
}

# netns_exec_args NS DIR: sets netns_exec to the words that run a program in NS with
# DIR's files over /etc. They end in an exec of the program, so that $! of a background
# one is the program's own PID.
netns_exec_args() {
  # shellcheck disable=SC2016 # expanded by the inner shell
  netns_exec=(ip netns exec "$1" sh -c 'mount -t overlay tarvo-etc -o "lowerdir=$0:/etc" /etc && exec "$@"' "$2")
}

#!/usr/bin/env bash
# Runs a command in a private network namespace where only loopback is up, so nothing it starts
# can reach another address. As root a plain namespace; otherwise a user namespace maps us to root
# to bring loopback up, and a nested one maps us back to our own user (servers such as Dovecot
# refuse to run mail as root, and the namespace has no other user).
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: $0 COMMAND [ARGS...]" >&2; exit 2; }
if [ "$(id -u)" -eq 0 ]; then
  exec unshare --net -- sh -c 'ip link set lo up && exec "$@"' sandbox "$@"
fi
exec unshare --map-root-user --net -- sh -c \
  'ip link set lo up && u=$1 g=$2 && shift 2 && exec unshare --user --map-user="$u" --map-group="$g" -- "$@"' \
  sandbox "$(id -u)" "$(id -g)" "$@"

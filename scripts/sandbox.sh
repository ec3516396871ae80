#!/usr/bin/env bash
# Runs a command in a private network namespace where only loopback is up, so nothing it starts
# can reach another address. As root a plain namespace; otherwise a user namespace maps us to root.
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: $0 COMMAND [ARGS...]" >&2; exit 2; }
if [ "$(id -u)" -eq 0 ]; then
  exec unshare --net -- sh -c 'ip link set lo up && exec "$@"' sandbox "$@"
else
  exec unshare --map-root-user --net -- sh -c 'ip link set lo up && exec "$@"' sandbox "$@"
fi

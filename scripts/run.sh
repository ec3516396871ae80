#!/usr/bin/env bash
# Installs what is missing, builds Mobrelle and starts it.
#   scripts/run.sh [--demo] [mobrelle options...]
# Your files are kept in ~/.local/share/Mobrelle (give --home DIR to use another folder).
# --demo starts a POP3 server on 127.0.0.1 with a few messages and a Mobrelle watching it, in a
# throw-away folder; the server stops when Mobrelle ends.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

demo=no
args=()
for a in "$@"; do
  if [ "$a" = --demo ]; then demo=yes; else args+=("$a"); fi
done

bash scripts/install-deps.sh
[ -f build/build.ninja ] || cmake -S . -B build -G Ninja
cmake --build build --target mobrelle -j "$(nproc)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Mobrelle is a desktop program and no display was found (DISPLAY and WAYLAND_DISPLAY are empty)." >&2
  echo "Run this command in a desktop session, or under a virtual one: xvfb-run scripts/run.sh" >&2
  exit 1
fi

home_given=no
for a in "${args[@]+"${args[@]}"}"; do [ "$a" = --home ] || [[ "$a" == --home=* ]] && home_given=yes; done

if [ $demo = no ]; then
  if [ $home_given = no ]; then
    home="${XDG_DATA_HOME:-$HOME/.local/share}/Mobrelle"
    mkdir -p "$home"
    args=(--home "$home" "${args[@]+"${args[@]}"}")
  fi
  exec "$root/build/bin/mobrelle" "${args[@]+"${args[@]}"}"
fi

# The demo: a private Dovecot on a free loopback port, and a program folder that watches it.
work=$(mktemp -d "${TMPDIR:-/tmp}/mobrelle-demo-XXXXXX")
chmod 755 "$work"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
messages=()
for m in scripts/demo/*.eml; do messages+=(-m "$m"); done
pid=$(sh tests/servers/dovecot/run-dovecot.sh -d "$work/server" -p "$port" -u demo:demo "${messages[@]}" 2>"$work/server.err" \
      || { cat "$work/server.err" >&2; exit 1; })
pid=$(printf '%s\n' "$pid" | tail -n 1)
cleanup() { kill -TERM "$pid" 2>/dev/null || true; }
trap cleanup EXIT
mkdir -p "$work/home"
printf '[Mobrelle]\r\nVersion=Mobrelle V 3.8.0.00\r\n[Demo]\r\nPop3ID=demo\r\nPop3Mail=127.0.0.1\r\nPop3Port=%s\r\nPop3Mdp=.demo\r\nIntervalle=60\r\nPop3Demar=1\r\n' \
  "$port" >"$work/home/Mobrelle.ini"
# Filters that catch part of it: the lottery sender is rejected at once (see the history), the
# invoice is asked about in the alert and kept when nobody answers.
printf '\266lottery@,R,N ,,R\r\n' >"$work/home/Mobrelle.rej"
printf '\266facture,g,N ,,R\r\n' >"$work/home/Mobrelle.rjs"
chmod 600 "$work/home/Mobrelle.ini" "$work/home/Mobrelle.rej" "$work/home/Mobrelle.rjs"
echo "Demo mailbox demo/demo served on 127.0.0.1:$port; files in $work"
"$root/build/bin/mobrelle" --home "$work/home" "${args[@]+"${args[@]}"}"

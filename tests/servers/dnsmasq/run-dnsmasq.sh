#!/bin/sh
# Starts a private DNS server (dnsmasq) inside DIR that answers only from the records given, and prints
# its PID (stop it with kill -TERM PID).
#
#   run-dnsmasq.sh -d DIR -p PORT [-a ADDRESS] [-x DOMAIN,HOST,PREFERENCE]... [-r NAME,IPV4]...
#
# -x adds an MX record, -r an A record. Every other name is answered with NXDOMAIN, and a name that has
# only an A record gets an empty MX answer. Nothing is forwarded anywhere. Each query is logged in
# DIR/dnsmasq.log.
set -eu

dir= port= address=127.0.0.1
die() { echo "run-dnsmasq.sh: $*" >&2; exit 2; }
[ -x /usr/sbin/dnsmasq ] || die "dnsmasq not found (install dnsmasq-base)"

records=
nl='
'
while getopts d:p:a:x:r: opt; do
  case $opt in
    d) dir=$OPTARG ;;
    p) port=$OPTARG ;;
    a) address=$OPTARG ;;
    x) records="$records${nl}mx-host=$OPTARG" ;;
    r) records="$records${nl}host-record=$OPTARG" ;;
    *) die "usage: run-dnsmasq.sh -d DIR -p PORT [-a ADDRESS] [-x DOMAIN,HOST,PREFERENCE]... [-r NAME,IPV4]..." ;;
  esac
done
[ -n "$dir" ] && [ -n "$port" ] || die "-d DIR and -p PORT are required"
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)

cat >"$dir/dnsmasq.conf" <<EOF
# Made by run-dnsmasq.sh; rewritten at every start.
port=$port
listen-address=$address
bind-interfaces
# Our records only: no upstream servers, no /etc/hosts, and NXDOMAIN (not REFUSED) for the rest.
no-resolv
no-hosts
no-poll
local=/#/
log-queries
log-facility=$dir/dnsmasq.log
pid-file=
$records
EOF

/usr/sbin/dnsmasq --keep-in-foreground --conf-file="$dir/dnsmasq.conf" \
  </dev/null >"$dir/dnsmasq.out" 2>&1 &
echo $!

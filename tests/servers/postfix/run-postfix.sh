#!/bin/sh
# Starts a private receive-only Postfix SMTP server inside DIR and prints the PID of its master process
# (stop it with kill -TERM PID). Must run as root: Postfix drops to its own users.
#
#   run-postfix.sh -d DIR -p PORT [-a ADDRESS] [-m DOMAIN]... -u ADDRESS...
#
# The server accepts mail for the -u addresses only ("250 2.1.5 Ok" to their RCPT TO), answers
# "550 5.1.1 ... User unknown" to any other address of a -m domain (default example.test) and
# "554 5.7.1 Relay access denied" elsewhere. It never sends mail on: every outgoing transport is an
# error. Accepted mail lands in DIR/mail/<address>/ (maildir); the log is DIR/log/postfix.log.
set -eu

dir= port= address=127.0.0.1 domains= addresses=
die() { echo "run-postfix.sh: $*" >&2; exit 2; }
[ -x /usr/sbin/postfix ] && [ -x /usr/lib/postfix/sbin/master ] || die "postfix not found (install postfix)"
[ "$(id -u)" = 0 ] || die "Postfix must be started as root"
getent passwd postfix >/dev/null || die "the postfix user is missing (reinstall postfix)"

while getopts d:p:a:m:u: opt; do
  case $opt in
    d) dir=$OPTARG ;;
    p) port=$OPTARG ;;
    a) address=$OPTARG ;;
    m) domains="$domains $OPTARG" ;;
    u) addresses="$addresses $OPTARG" ;;
    *) die "usage: run-postfix.sh -d DIR -p PORT [-a ADDRESS] [-m DOMAIN]... -u ADDRESS..." ;;
  esac
done
[ -n "$dir" ] && [ -n "$port" ] || die "-d DIR and -p PORT are required"
[ -n "$domains" ] || domains=example.test
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
# Postfix checks that its queue's parents are not writable by others and belong to root.
chmod 755 "$dir"

mkdir -p "$dir/conf" "$dir/queue" "$dir/data" "$dir/log" "$dir/mail"
chown postfix "$dir/data"
chown 65534:65534 "$dir/mail"
: >"$dir/conf/vmailbox"
for a in $addresses; do
  printf '%s %s/\n' "$a" "$a" >>"$dir/conf/vmailbox"
done

cat >"$dir/conf/main.cf" <<EOF
# Made by run-postfix.sh; rewritten at every start.
compatibility_level = 3.6
queue_directory = $dir/queue
data_directory = $dir/data
command_directory = /usr/sbin
daemon_directory = /usr/lib/postfix/sbin
meta_directory = /etc/postfix
shlib_directory = /usr/lib/postfix
mail_owner = postfix
setgid_group = postdrop
syslog_name = mobrelle-postfix-$port
maillog_file = $dir/log/postfix.log
maillog_file_prefixes = $dir/log
myhostname = mx.mobrelle.test
mydomain = mobrelle.test
myorigin = \$myhostname
inet_interfaces = $address
inet_protocols = ipv4
mydestination =
mynetworks = 127.0.0.0/8
relay_domains =
local_recipient_maps =
virtual_mailbox_domains = $(echo $domains | tr ' ' ',')
virtual_mailbox_maps = texthash:$dir/conf/vmailbox
virtual_mailbox_base = $dir/mail
virtual_uid_maps = static:65534
virtual_gid_maps = static:65534
# Receive only: no name lookups and no way out.
smtpd_peername_lookup = no
smtp_dns_support_level = disabled
disable_dns_lookups = yes
default_transport = error:this test server sends nothing on
relay_transport = error:this test server sends nothing on
smtpd_relay_restrictions = reject_unauth_destination
smtpd_recipient_restrictions = reject_unlisted_recipient
smtpd_error_sleep_time = 0
smtpd_soft_error_limit = 100
smtpd_hard_error_limit = 200
biff = no
EOF

cat >"$dir/conf/master.cf" <<EOF
# Made by run-postfix.sh: one SMTP listener and the internal services it needs.
$address:$port inet n - n - - smtpd
pickup    unix n - n 60 1 pickup
cleanup   unix n - n - 0 cleanup
qmgr      unix n - n 300 1 qmgr
rewrite   unix - - n - - trivial-rewrite
bounce    unix - - n - 0 bounce
defer     unix - - n - 0 bounce
trace     unix - - n - 0 bounce
verify    unix - - n - 1 verify
flush     unix n - n 1000? 0 flush
proxymap  unix - - n - - proxymap
smtp      unix - - n - - smtp
showq     unix n - n - - showq
error     unix - - n - - error
retry     unix - - n - - error
discard   unix - - n - - discard
virtual   unix - n n - - virtual
anvil     unix - - n - 1 anvil
scache    unix - - n - 1 scache
postlog   unix-dgram n - n - 1 postlogd
EOF

# The queue folders, as "postfix check" would make them (it takes seconds; this takes none).
q=$dir/queue
for sub in active bounce corrupt defer deferred flush hold incoming private saved trace; do
  mkdir -p "$q/$sub"; chown postfix:root "$q/$sub"; chmod 700 "$q/$sub"
done
mkdir -p "$q/maildrop" "$q/public" "$q/pid"
chown postfix:postdrop "$q/maildrop" "$q/public"
chmod 730 "$q/maildrop"; chmod 710 "$q/public"
chown root:root "$q" "$q/pid"; chmod 755 "$q" "$q/pid"
rm -f "$dir/queue/pid/master.pid"
/usr/lib/postfix/sbin/master -c "$dir/conf" -w >"$dir/log/master.out" 2>&1 ||
  die "postfix master did not start (see $dir/log/master.out and $dir/log/postfix.log)"
i=0
while [ ! -s "$dir/queue/pid/master.pid" ]; do
  i=$((i + 1))
  [ $i -le 100 ] || die "postfix wrote no PID file (see $dir/log/postfix.log)"
  sleep 0.05
done
tr -d ' ' <"$dir/queue/pid/master.pid"

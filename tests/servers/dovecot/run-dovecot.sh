#!/bin/sh
# Starts a private Dovecot POP3 server inside DIR and prints its PID (stop it with kill -TERM PID).
#
#   run-dovecot.sh -d DIR -p PORT [-s POP3S_PORT] [-a ADDRESS] -u USER:PASSWORD [-m FILE]... [-u ...]
#
# -u adds an account with a plain password (so APOP works); the -m files that follow it become that
# account's messages, in the order given (their UIDs follow that order). The server offers USER/PASS,
# APOP and STLS on PORT, and implicit TLS on POP3S_PORT when given, with a self-signed certificate made
# here (DIR/ssl/cert.pem, for localhost and 127.0.0.1). Logs go to DIR/log/dovecot.log.
# Nothing outside DIR is touched; several servers run side by side in different folders.
set -eu

dir= port= pop3s_port=0 address=127.0.0.1
users= current=
die() { echo "run-dovecot.sh: $*" >&2; exit 2; }

command -v dovecot >/dev/null 2>&1 || [ -x /usr/sbin/dovecot ] || die "dovecot not found (install dovecot-core dovecot-pop3d)"
[ -x /usr/lib/dovecot/pop3 ] || die "POP3 service missing (install dovecot-pop3d)"
command -v openssl >/dev/null 2>&1 || die "openssl not found (install openssl)"

# The accounts and their message files are collected in a file first, since -m follows -u.
plan=$(mktemp)
trap 'rm -f "$plan"' EXIT
while getopts d:p:s:a:u:m: opt; do
  case $opt in
    d) dir=$OPTARG ;;
    p) port=$OPTARG ;;
    s) pop3s_port=$OPTARG ;;
    a) address=$OPTARG ;;
    u) case $OPTARG in *:*) ;; *) die "-u wants USER:PASSWORD" ;; esac
       current=${OPTARG%%:*}; users="$users $current"
       printf 'u %s\n' "$OPTARG" >>"$plan" ;;
    m) [ -n "$current" ] || die "-m must follow a -u"
       [ -f "$OPTARG" ] || die "no message file $OPTARG"
       printf 'm %s\n' "$OPTARG" >>"$plan" ;;
    *) die "usage: run-dovecot.sh -d DIR -p PORT [-s POP3S_PORT] [-a ADDRESS] -u USER:PASSWORD [-m FILE]..." ;;
  esac
done
[ -n "$dir" ] && [ -n "$port" ] || die "-d DIR and -p PORT are required"
[ -n "$users" ] || die "at least one -u USER:PASSWORD is required"
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)

# As real root Dovecot will not give mail access to uid 0, so mail belongs to nobody. As anyone else
# (or as root of a user namespace, where uid 65534 is not mapped) every service runs as ourselves.
as_root=no
if [ "$(id -u)" = 0 ] && awk '$1 == 0 && $3 > 65534 { ok = 1 } END { exit !ok }' /proc/self/uid_map; then
  as_root=yes
fi
# Root of a user namespace ("unshare -r") can do neither: Dovecot refuses mail as uid 0 and may not
# call setgroups there.
if [ "$(id -u)" = 0 ] && [ $as_root = no ]; then
  die "cannot run as root of a user namespace: run as real root, or map back to your own user inside it (unshare -U --map-user=UID --map-group=GID)"
fi
me_uid=$(id -u) me_gid=$(id -g) me_name=$(id -un)

mkdir -p "$dir/run" "$dir/state" "$dir/log" "$dir/home" "$dir/ssl"
: >"$dir/users"
chmod 600 "$dir/users"

# Maildir names with increasing timestamps, so that Dovecot numbers the messages in the order given.
stamp=1000000000
while read -r kind value; do
  case $kind in
    u) name=${value%%:*}; password=${value#*:}
       printf '%s:{PLAIN}%s\n' "$name" "$password" >>"$dir/users"
       maildir=$dir/home/$name/Maildir
       mkdir -p "$maildir/cur" "$maildir/new" "$maildir/tmp" ;;
    m) stamp=$((stamp + 1))
       cp "$value" "$maildir/cur/$stamp.M${stamp}P1.mobrelle:2," ;;
  esac
done <"$plan"

if [ ! -s "$dir/ssl/key.pem" ] || [ ! -s "$dir/ssl/cert.pem" ]; then
  openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj /CN=localhost \
    -addext subjectAltName=DNS:localhost,IP:127.0.0.1 \
    -keyout "$dir/ssl/key.pem" -out "$dir/ssl/cert.pem" >"$dir/log/openssl.log" 2>&1 ||
    die "openssl could not make a certificate (see $dir/log/openssl.log)"
fi

if [ $as_root = yes ]; then
  chown -R 65534:65534 "$dir/home"
  # The auth process runs as Dovecot's own internal user and reads the passwords.
  chgrp "$(id -gn dovecot 2>/dev/null || echo dovecot)" "$dir/users" 2>/dev/null && chmod 640 "$dir/users" ||
    chmod 644 "$dir/users"
  chmod 755 "$dir"
  userdb="uid=65534 gid=65534 home=$dir/home/%u"
  service_users=
else
  userdb="uid=$me_uid gid=$me_gid home=$dir/home/%u"
  service_users="default_internal_user = $me_name
default_login_user = $me_name
default_internal_group = $(id -gn)"
fi

cat >"$dir/dovecot.conf" <<EOF
# Made by run-dovecot.sh; rewritten at every start.
instance_name = mobrelle-pop3-$port
base_dir = $dir/run
state_dir = $dir/state
log_path = $dir/log/dovecot.log
protocols = pop3
listen = $address
shutdown_clients = yes
$service_users

ssl = yes
ssl_cert = <$dir/ssl/cert.pem
ssl_key = <$dir/ssl/key.pem

# APOP needs the passwords in clear; plain logins are allowed without TLS on purpose.
disable_plaintext_auth = no
auth_mechanisms = plain login apop
auth_failure_delay = 0 secs
passdb {
  driver = passwd-file
  args = scheme=PLAIN username_format=%u $dir/users
}
userdb {
  driver = static
  args = $userdb
}
first_valid_uid = 1
mail_location = maildir:~/Maildir
pop3_uidl_format = %08Xu%08Xv

service pop3-login {
  inet_listener pop3 {
    port = $port
  }
  inet_listener pop3s {
    port = $pop3s_port
    ssl = yes
  }
EOF
[ $as_root = yes ] || echo "  chroot =" >>"$dir/dovecot.conf"
cat >>"$dir/dovecot.conf" <<EOF
}
# No penalty for failed logins: tests log in badly and then well in a row.
service anvil {
  unix_listener anvil-auth-penalty {
    mode = 0
  }
EOF
[ $as_root = yes ] || echo "  chroot =" >>"$dir/dovecot.conf"
echo "}" >>"$dir/dovecot.conf"

rm -f "$dir/run/master.pid"
/usr/sbin/dovecot -c "$dir/dovecot.conf" || die "dovecot did not start (see $dir/log/dovecot.log)"
# The daemon writes its PID file once it is set up.
i=0
while [ ! -s "$dir/run/master.pid" ]; do
  i=$((i + 1))
  [ $i -le 100 ] || die "dovecot wrote no PID file (see $dir/log/dovecot.log)"
  sleep 0.05
done
cat "$dir/run/master.pid"

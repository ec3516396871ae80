#!/bin/sh
# Starts a private nginx inside DIR serving the files of DIR/www and prints its master PID (stop it with
# kill -TERM PID).
#
#   run-nginx.sh -d DIR -p PORT [-a ADDRESS] [-r FROM=TO]... [-b /PREFIX=USER:PASSWORD]
#
# -r answers a request for the path FROM with "301 Moved Permanently" and "Location: TO" (as given).
# -b asks for Basic authentication as USER with PASSWORD below PREFIX (401 otherwise). Missing files
# get 404. Requests are logged in DIR/logs/access.log.
set -eu

dir= port= address=127.0.0.1 redirects= protected= credentials=
die() { echo "run-nginx.sh: $*" >&2; exit 2; }
[ -x /usr/sbin/nginx ] || die "nginx not found (install nginx-light)"

nl='
'
while getopts d:p:a:r:b: opt; do
  case $opt in
    d) dir=$OPTARG ;;
    p) port=$OPTARG ;;
    a) address=$OPTARG ;;
    r) case $OPTARG in /*=*) ;; *) die "-r wants /FROM=TO" ;; esac
       redirects="$redirects${nl}    location = ${OPTARG%%=*} { return 301 ${OPTARG#*=}; }" ;;
    b) case $OPTARG in /*=*:*) ;; *) die "-b wants /PREFIX=USER:PASSWORD" ;; esac
       protected=${OPTARG%%=*} credentials=${OPTARG#*=} ;;
    *) die "usage: run-nginx.sh -d DIR -p PORT [-a ADDRESS] [-r FROM=TO]... [-b /PREFIX=USER:PASSWORD]" ;;
  esac
done
[ -n "$dir" ] && [ -n "$port" ] || die "-d DIR and -p PORT are required"
mkdir -p "$dir/www" "$dir/logs" "$dir/temp"
dir=$(cd "$dir" && pwd)
user=
if [ "$(id -u)" = 0 ]; then
  # The workers run as nobody: the served files must be readable by everyone.
  chmod -R a+rX "$dir/www"
  chmod 755 "$dir"
  user="user nobody nogroup;"
fi
auth=
if [ -n "$protected" ]; then
  # nginx reads the password file at each request, as the workers' user: readable by everyone here.
  printf '%s:{PLAIN}%s\n' "${credentials%%:*}" "${credentials#*:}" >"$dir/htpasswd"
  chmod 644 "$dir/htpasswd"
  auth="${nl}    location ^~ $protected { auth_basic \"test\"; auth_basic_user_file $dir/htpasswd; }"
fi

cat >"$dir/nginx.conf" <<EOF
# Made by run-nginx.sh; rewritten at every start.
$user
worker_processes 1;
pid $dir/nginx.pid;
error_log $dir/logs/error.log;
events { worker_connections 64; }
http {
  access_log $dir/logs/access.log;
  client_body_temp_path $dir/temp/body;
  proxy_temp_path $dir/temp/proxy;
  fastcgi_temp_path $dir/temp/fastcgi;
  uwsgi_temp_path $dir/temp/uwsgi;
  scgi_temp_path $dir/temp/scgi;
  default_type application/octet-stream;
  types { text/html html htm; text/plain txt; application/zip zip; }
  server {
    listen $address:$port;
    server_name localhost;
    root $dir/www;
    # Redirections carry the path only, as given.
    absolute_redirect off;$redirects$auth
  }
}
EOF

rm -f "$dir/nginx.pid"
/usr/sbin/nginx -q -p "$dir/" -c "$dir/nginx.conf" -e "$dir/logs/error.log" </dev/null \
  >"$dir/logs/start.log" 2>&1 || die "nginx did not start (see $dir/logs/start.log and $dir/logs/error.log)"
i=0
while [ ! -s "$dir/nginx.pid" ]; do
  i=$((i + 1))
  [ $i -le 100 ] || die "nginx wrote no PID file (see $dir/logs/error.log)"
  sleep 0.05
done
cat "$dir/nginx.pid"

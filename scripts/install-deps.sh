#!/usr/bin/env bash
# Installs the Debian packages Mobrelle needs to build, run and test.
# Idempotent: packages already present are left alone, and apt is only asked when something is missing.
set -euo pipefail

PACKAGES=(
  # build
  cmake ninja-build g++ pkg-config ccache clang libclang-rt-14-dev
  qt6-base-dev qt6-multimedia-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-svg-dev
  libqt6svg6 qt6-qpa-plugins
  zlib1g-dev libdeflate-dev libxlsxwriter-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev libgmime-3.0-dev unzip
  # windows under a virtual display, screenshots
  xvfb xauth xdotool imagemagick
  # servers the tests start on loopback
  dovecot-core dovecot-pop3d dnsmasq-base bind9-dnsutils postfix nginx-light python3-aiosmtpd openssl
  iproute2 util-linux procps
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=
[ "$(id -u)" -eq 0 ] || SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
# Postfix asks how to configure itself; the tests bring their own configuration.
echo "postfix postfix/main_mailer_type select No configuration" | $SUDO debconf-set-selections
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"

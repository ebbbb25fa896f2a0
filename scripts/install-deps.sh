#!/usr/bin/env bash
# Installs every Debian package that building, running and testing BKPZelto
# needs, skipping what is already there. Run as root on Debian 12.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev
  libgtest-dev libgmock-dev googletest
  # Firebird: client, headers, embedded engine, utilities and server
  libfbclient2 firebird-dev firebird3.0-server-core firebird3.0-utils firebird3.0-server
  # test peers: FTP servers, archivers, a display with a tray host
  python3 python3-pyftpdlib vsftpd arj 7zip zip
  # FTP over TLS: pyftpdlib's TLS handler, test certificates, the upload benchmark's peer
  python3-openssl openssl curl
  # SSH file transfer: the client library and, for the tests and the benchmark, sshd
  libssh-dev openssh-server
  xvfb xauth x11-utils trayer openbox imagemagick xdotool faketime
  # Qt's own dialogs in Portuguese
  qt6-translations-l10n
  # printed listings read back from their PDF
  poppler-utils
  # checks of the desktop entries and of the Debian package
  desktop-file-utils lintian
  # the fuzz target of the listing lines (built only when asked)
  clang-14 libclang-rt-14-dev
  # fonts so windows render readable text under Xvfb
  fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: everything is already installed"
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages (${missing[*]}); run this script as root" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
# The server package sets the administrator password from this answer.
echo "firebird3.0-server shared/firebird/sysdba_password/first_install password pelorvine" |
  debconf-set-selections
export DEBIAN_FRONTEND=noninteractive
apt-get -o DPkg::Lock::Timeout=300 update -qq
apt-get -o DPkg::Lock::Timeout=300 install -y -qq --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages Pernard needs to build, test and run. Asks apt only for
# what is missing, so a second run is quick.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  libgtest-dev libgmock-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n
  xvfb xauth fonts-ipafont-gothic fonts-ipafont-mincho
  dbus at-spi2-core python3-pyatspi xdotool
  clang libclang-rt-14-dev
  desktop-file-utils appstream dpkg-dev file
  libutf8proc-dev libicu-dev libcurl4-openssl-dev libsimdjson-dev libsqlite3-dev sqlite3 nettle-dev libzstd-dev
  liburiparser-dev nlohmann-json3-dev
  # The sync's password and passphrase live in the system's credential store.
  qtkeychain-qt6-dev
  # A WebDAV server the sync's tests start on 127.0.0.1 for themselves. Debian's package also
  # enables a system-wide lighttpd on port 80, which they never use: stopped below.
  lighttpd lighttpd-mod-webdav
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

# The system-wide web server Debian's lighttpd starts when it is installed: nothing here uses
# it, so a machine set up for Pernard does not serve its /var/www on port 80.
if printf '%s\n' "${missing[@]}" | grep -qx lighttpd; then
  if [ -d /run/systemd/system ]; then
    $sudo systemctl disable --now lighttpd >/dev/null 2>&1 || true
  else
    $sudo service lighttpd stop >/dev/null 2>&1 || true
  fi
fi

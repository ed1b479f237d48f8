#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing VeltraEd
# need, and says which ones it installs. Uses sudo when not run as root.
set -euo pipefail

PACKAGES=(
  build-essential cmake make pkg-config g++ clang libclang-rt-14-dev
  libgtest-dev libbenchmark-dev
  qt6-base-dev libqt6opengl6-dev
  libgl-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
  libdevil-dev libpng-dev
  xvfb xauth x11-utils imagemagick openbox locales
)

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

# A locale with a decimal comma, for the tests that prove numbers keep their '.'.
ensure_comma_locale() {
  locale -a 2>/dev/null | grep -qix 'de_DE.utf8' && return 0
  echo "Generating the de_DE.UTF-8 locale for the tests"
  $SUDO localedef -i de_DE -f UTF-8 de_DE.UTF-8
}

missing=()
for p in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing missing Debian packages: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
ensure_comma_locale

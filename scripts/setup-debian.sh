#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing VeltraEd
# need, and says which ones it installs. Uses sudo when not run as root.
set -euo pipefail

PACKAGES=(
  build-essential cmake make pkg-config g++ clang clang-format libclang-rt-14-dev
  libgtest-dev libbenchmark-dev
  qt6-base-dev libqt6opengl6-dev
  libgl-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
  libdevil-dev libjpeg-dev libpng-dev
  xvfb xauth x11-utils imagemagick openbox locales
  dpkg-dev file desktop-file-utils appstream man-db groff-base
)

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

# Locales for the tests: a decimal comma (numbers keep their '.') and
# Turkish letter case (names still compare by ASCII case).
ensure_locale() {
  locale -a 2>/dev/null | grep -qix "$1.utf8" && return 0
  echo "Generating the $1.UTF-8 locale for the tests"
  $SUDO localedef -i "$1" -f UTF-8 "$1.UTF-8"
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
ensure_locale de_DE
ensure_locale tr_TR

#!/usr/bin/env bash
# Checks the Debian package of a finished build (./build unless named): the
# desktop entry, the AppStream metadata and the man pages pass their
# validators without a single hint or warning; the package holds every file,
# declares the libraries it links, and, unpacked into a scratch root, runs
# both programs from there on the system's libraries.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

fail() {
  echo "check-package: $*" >&2
  exit 1
}

# Runs a command that must succeed; shows what it printed when it does not.
passes() {
  local output
  output=$("$@" 2>&1) || { printf '%s\n' "$output" >&2; fail "failed: $*"; }
}

# Runs a validator that must succeed and print nothing at all.
silent() {
  local output
  if ! output=$("$@" 2>&1) || [ -n "$output" ]; then
    printf '%s\n' "$output" >&2
    fail "not clean: $*"
  fi
}

# man exits 0 on warnings; they only show on standard error.
man_warnings() {
  LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$1" 2>&1 >/dev/null
}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "$build is not a configured build"

echo "-- desktop entry, AppStream metadata and man pages"
silent desktop-file-validate qt/veltraed.desktop
passes appstreamcli validate --no-net --strict --pedantic qt/veltraed.metainfo.xml
for page in cli/veltra.1 qt/veltraed.1; do
  silent man_warnings "$page"
  grep -q "^\.TH .*\"VeltraEd $version\"" "$page" || fail "$page does not name version $version"
done
release=$(grep -o -m1 '<release version="[^"]*"' qt/veltraed.metainfo.xml || true)
[ "$release" = "<release version=\"$version\"" ] ||
  fail "the newest release of qt/veltraed.metainfo.xml is not $version"

echo "-- building the package"
deb=$build/veltraed_${version}_$(dpkg --print-architecture).deb
rm -f "$build"/veltraed_*.deb
(cd "$build" && passes cpack -G DEB)
[ -f "$deb" ] || fail "cpack made no $deb"
# Found by dpkg-shlibdeps: the C library, the editor's Qt, veltra's image libraries.
depends=$(dpkg-deb -f "$deb" Depends)
for package in libc6 libqt6widgets6 libdevil1c2 libpng16-16 qt6-qpa-plugins; do
  grep -qw "$package" <<<"$depends" || fail "Depends lacks $package: $depends"
done

echo "-- running the programs unpacked from the package"
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
for file in bin/veltraed bin/veltra share/man/man1/veltraed.1 share/man/man1/veltra.1 \
  share/applications/veltraed.desktop share/icons/hicolor/scalable/apps/veltraed.svg \
  share/metainfo/org.veltraed.veltraed.metainfo.xml; do
  [ -f "$root/usr/$file" ] || fail "the package lacks /usr/$file"
done
passes appstreamcli validate-tree --no-net --strict --pedantic "$root"
for program in veltra veltraed; do
  said=$("$root/usr/bin/$program" --version) || fail "$program --version failed"
  [ "$said" = "$program $version" ] || fail "$program --version said '$said'"
done
# The preview renderer through the system's OpenGL, without a window.
passes "$root/usr/bin/veltra" render examples/demo.txt demo/water --size 64x64 -o "$root/water.png"
[ "$(file -b --mime-type "$root/water.png")" = image/png ] || fail "veltra render wrote no PNG"
echo "package $deb checked"

#!/usr/bin/env bash
# Builds the Debian package in BUILD (default build/) and checks what it
# carries: the AppStream metainfo, the desktop entry, lintian over the .deb,
# and that man renders both manual pages. Installs the checking tools it
# lacks with apt-get (needs root or sudo). Exits non-zero on the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

tools=(lintian appstream desktop-file-utils man-db dpkg-dev fakeroot)
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
rm -f "$build"/lyricforge_*.deb
cmake --build "$build" --target package
debs=("$build"/lyricforge_*_amd64.deb)
[ -f "${debs[0]}" ] || { echo "package-check: no lyricforge_*_amd64.deb in $build"; exit 1; }
deb=${debs[0]}
echo "== $deb"
dpkg-deb --field "$deb"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb --extract "$deb" "$unpacked"

echo "== appstreamcli validate"
appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/*.metainfo.xml

echo "== desktop-file-validate"
desktop-file-validate "$unpacked"/usr/share/applications/*.desktop

echo "== man -l"
for page in lyricforge lyricforge-cli; do
  file="$unpacked/usr/share/man/man1/$page.1.gz"
  warnings=$(MANWIDTH=80 man --warnings=all -l "$file" 2>&1 >/dev/null)
  if [ -n "$warnings" ]; then echo "$page(1): $warnings"; exit 1; fi
  shown=$(MANWIDTH=80 man -l "$file" | col -b)
  grep -q "^NAME" <<<"$shown" || { echo "$page(1) renders no NAME section"; exit 1; }
  echo "$page(1) renders"
done

echo "== lintian"
# Errors fail the check; warnings are shown (the README lists those kept).
lintian --fail-on error --tag-display-limit 0 "$deb"
echo "package-check: $deb passes"

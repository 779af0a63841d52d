#!/usr/bin/env bash
# Makes the Debian package and checks it: the files where the daemon, its
# settings program and man look, the dependencies, and lintian's verdict.
#   debian_package.sh BUILD_DIR VERSION
set -euo pipefail
build=$1 version=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --build "$build" --target package >/dev/null || fail "the package target failed"
deb=$build/corvalinth_${version}_amd64.deb
[ -f "$deb" ] || fail "no $deb"

files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
expected=$(printf '%s\n' ./usr/libexec/xscreensaver/corvalinth ./usr/share/doc/corvalinth/changelog.gz \
  ./usr/share/doc/corvalinth/copyright ./usr/share/man/man6/corvalinth.6.gz \
  ./usr/share/xscreensaver/config/corvalinth.xml | sort)
diff <(echo "$expected") <(echo "$files") || fail "the package holds other files than these (<)"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Version)" = "$version" ] || fail "Version is $(field Version)"
for library in libx11-6 libxext6 libwayland-client0 libxkbcommon0; do
  grep -qE "(^|, )$library( |,|$)" <<<"$(field Depends)" || fail "Depends lacks $library: $(field Depends)"
done
[ "$(field Recommends)" = xscreensaver ] || fail "Recommends is '$(field Recommends)'"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
"$unpacked/usr/libexec/xscreensaver/corvalinth" --version | grep -qx "corvalinth $version" ||
  fail "the packaged program is not version $version"
zcat "$unpacked/usr/share/doc/corvalinth/changelog.gz" | head -1 | grep -qF "corvalinth ($version)" ||
  fail "the changelog's newest entry is not $version"
zcat "$unpacked/usr/share/man/man6/corvalinth.6.gz" | grep -q '^\.SH OPTIONS' || fail "the manual page is not in the package"

report=$(lintian "$deb" 2>&1 | grep -E '^[EW]: ' || true)
[ -z "$report" ] || fail "lintian: $report"
echo "$deb: $(stat -c %s "$deb") bytes, lintian clean"

#!/usr/bin/env bash
# Makes the release files in build/release: the Windows zip and installer, the
# Debian package, the source archive of HEAD, and SHA256SUMS over them
# (check with `sha256sum -c SHA256SUMS` in that folder). The version is the one
# in project() in CMakeLists.txt.
# With a certificate in the environment (see scripts/sign.sh and the README), the
# program inside the zip and the installer, the installer and its uninstaller
# are signed with Authenticode and verified; without one, it says so and the
# Windows files are unsigned.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
signed=1
scripts/sign.sh --status || signed=0
for preset in linux windows; do
  cmake --preset "$preset" >/dev/null
  # The programs alone: the package target builds no test.
  cmake --build --preset "$preset" --target package >/dev/null
done
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/linux/CMakeCache.txt)
[ -n "$version" ] || { echo "release: no project version in build/linux" >&2; exit 1; }

out=build/release
rm -rf "$out"
mkdir -p "$out"
files=(Corvalinth-$version-win64.zip Corvalinth-$version-win64-setup.exe corvalinth_${version}_amd64.deb
       corvalinth-$version.tar.gz)
cp "build/windows/${files[0]}" "build/windows/${files[1]}" "build/linux/${files[2]}" "$out/"
[ $signed -eq 0 ] || scripts/sign.sh --verify "$out/${files[0]}" "$out/${files[1]}"
[ -z "$(git status --porcelain --untracked-files=no)" ] ||
  echo "release: the source archive holds HEAD, without the uncommitted changes" >&2
git archive --format=tar.gz --prefix="corvalinth-$version/" -o "$out/${files[3]}" HEAD
(cd "$out" && sha256sum -- "${files[@]}" >SHA256SUMS && sha256sum --quiet -c SHA256SUMS)
ls -l "$out"
[ $signed -eq 1 ] || echo "release: the Windows files are UNSIGNED: no certificate was given" >&2

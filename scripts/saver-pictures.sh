#!/usr/bin/env bash
# Regenerates the README's pictures of the saver over the shared sample desktop:
# docs/saver-trails.png (trails after a few seconds), docs/saver-transition.png
# (the halves sliding apart), captured from the screen of the Wine rig by an
# end-to-end test, and docs/preview.png (the preview box), read back in process
# by a Windows test (Wine draws no child window of another process); then made small.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset windows >/dev/null
cmake --build --preset windows --target e2e_tests win_tests
mkdir -p docs
target="Z:$(pwd | tr / '\\')\\docs"
CORVALINTH_SAVER_PICTURES="$target" scripts/rig/wine-run.sh build/windows/rig build/windows/bin/e2e_tests.exe \
  --gtest_filter='SaverPictures.Write'
CORVALINTH_PREVIEW_SHOT="$target\\preview.bmp" scripts/rig/wine-run.sh build/windows/rig build/windows/win_tests.exe \
  --gtest_filter='PreviewForm.*'
for name in saver-trails saver-transition; do
  convert "docs/$name.bmp" -resize 800x -colors 96 -strip -define png:compression-level=9 "docs/$name.png"
done
convert docs/preview.bmp -scale 200% -strip docs/preview.png
rm -f docs/saver-trails.bmp docs/saver-transition.bmp docs/preview.bmp
echo "wrote docs/saver-trails.png docs/saver-transition.png docs/preview.png"

#!/usr/bin/env bash
# Regenerates docs/button-looks.png: the settings dialog's button in each of its
# six looks (idle, pointer over, pressed, focused with pointer over, focused,
# disabled), captured from the screen of the Wine rig by the Windows test.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset windows >/dev/null
cmake --build --preset windows --target win_tests
mkdir -p docs
target="Z:$(pwd | tr / '\\')\\build\\windows\\button-looks.bmp"
CORVALINTH_BUTTON_LOOKS="$target" scripts/rig/wine-run.sh build/windows/rig build/windows/win_tests.exe \
  --gtest_filter='CommandWindow.EachLookShowsItsRingsGradientAndCaption'
convert build/windows/button-looks.bmp docs/button-looks.png
echo "wrote docs/button-looks.png"

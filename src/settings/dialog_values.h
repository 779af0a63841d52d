#pragma once
// How the stored settings meet the dialog's controls, and what saving writes.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/ini_document.h"

namespace corvalinth::settings {

// The option button a colour mode selects. Only 0 means colour; the saver draws
// every other value in grey, so the dialog shows those as monochrome.
int OptionIndexForColor(std::int16_t gColor);

// The scroll bar position a stored count shows: a count outside 1..1000 (a
// hand-edited file) shows as the nearest end of the range.
std::int16_t ScrollValueForCount(std::int16_t gNum);

// The number label's text: the value without a leading blank.
std::wstring CountLabel(int value);

// The three keys saving writes, in the order written: Color and Num plainly as
// numbers with the leading blank, the password exactly as typed.
std::vector<IniKeyValue> SettingsToSave(std::int16_t gColor, int count, std::wstring_view password);

}  // namespace corvalinth::settings

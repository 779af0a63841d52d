#include "settings/dialog_values.h"

#include <algorithm>

#include "core/corvalinth_b.h"
#include "core/number_rules.h"
#include "settings/dialog_layout.h"
#include "config/settings_file.h"

namespace corvalinth::settings {

int OptionIndexForColor(std::int16_t gColor) { return gColor == 0 ? 0 : 1; }

std::int16_t ScrollValueForCount(std::int16_t gNum) { return std::clamp(gNum, kCountMin, kMaxParticles); }

std::wstring CountLabel(int value) { return std::to_wstring(value); }

std::vector<IniKeyValue> SettingsToSave(std::int16_t gColor, int count, std::wstring_view password)
{
    return {{kColorKey, core::NumberToText(gColor), IniValueForm::AsGiven},
            {kNumKey, core::NumberToText(count), IniValueForm::AsGiven},
            {kPasswordKey, std::wstring(password), IniValueForm::Exact}};
}

}  // namespace corvalinth::settings

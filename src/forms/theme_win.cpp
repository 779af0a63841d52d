#include "forms/theme_win.h"

namespace corvalinth::forms {

bool HighContrastOn()
{
    HIGHCONTRASTW contrast{sizeof contrast};
    return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace corvalinth::forms

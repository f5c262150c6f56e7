#include "shell/FontConfigWarmUp.h"

namespace korvex {

// Qt takes Windows' fonts from the system itself: there is no configuration to load beforehand.
TFontConfigWarmUp::TFontConfigWarmUp() = default;

TFontConfigWarmUp::~TFontConfigWarmUp() = default;

void TFontConfigWarmUp::Join() {}

}  // namespace korvex

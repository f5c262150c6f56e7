#include "meter/UnitTexts.h"

namespace korvex {

std::array<std::u16string, UnitCount> DefaultUnitTexts()
{
    // The micro prefix is the plain letter u, as on the meter's own display.
    return {
        u"",     // uNoneA
        u"Ω",    // uOhm
        u"KΩ",   // uKOhm
        u"MΩ",   // uMOhm
        u"",     // uNoneB
        u"uH",   // uuH
        u"mH",   // umH
        u"H",    // uH
        u"kH",   // ukH
        u"pF",   // upF
        u"nF",   // unF
        u"uF",   // uuF
        u"mF",   // umF
        u"%",    // uPercent
        u"deg",  // udeg
    };
}

std::u16string UnitCaption(const std::array<std::u16string, UnitCount>& unitTexts, std::uint8_t unit)
{
    return unit < unitTexts.size() ? unitTexts[unit] : std::u16string();
}

}  // namespace korvex

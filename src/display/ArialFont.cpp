#include "display/ArialFont.h"

#include "display/FontFamilies.h"

namespace korvex {

QFont ArialFont(int pixelSize, bool bold)
{
    static const QStringList families = FirstInstalled({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                                                       QStringLiteral("Arimo"), QStringLiteral("DejaVu Sans Condensed")});
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

}  // namespace korvex

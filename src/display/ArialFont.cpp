#include "display/ArialFont.h"

#include <QStringList>

namespace korvex {

QFont ArialFont(int pixelSize, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                      QStringLiteral("DejaVu Sans Condensed")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

}  // namespace korvex

#include "display/ReadoutFont.h"

namespace korvex {

QFont ReadoutFont(int pixelSize)
{
    QFont font(QStringLiteral("DSEG7 Classic"));
    font.setPixelSize(pixelSize);
    return font;
}

}  // namespace korvex

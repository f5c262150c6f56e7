#include "display/WindowFont.h"

#include <QStringList>

namespace korvex {
namespace {

const QString kWindowFamily = QStringLiteral("MS Sans Serif");

// Measured at 11 pixels against the 8-point original (digits of 6 pixels, "2011-05-24 15:59:13" 99
// pixels, "KOhm" 29, alphabet 323): FreeSans 101, 31 and 331; Liberation Sans and its twin Arimo 101,
// 31 and 333; DejaVu Sans Condensed 105, 30 and 317. The closest first.
void RegisterSubstitutes()
{
    static const bool registered = [] {
        QFont::insertSubstitutions(kWindowFamily, {QStringLiteral("FreeSans"), QStringLiteral("Liberation Sans"),
                                                   QStringLiteral("Arimo"), QStringLiteral("DejaVu Sans Condensed")});
        return true;
    }();
    (void)registered;
}

}  // namespace

QFont WindowFont()
{
    RegisterSubstitutes();
    QFont font(kWindowFamily);
    font.setPixelSize(11);
    return font;
}

}  // namespace korvex

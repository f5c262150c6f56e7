#include "display/WindowFont.h"

#include <QStringList>

#include "display/FontFamilies.h"

namespace korvex {
namespace {

const QString kWindowFamily = QStringLiteral("MS Sans Serif");

// Measured at 11 pixels against the 8-point original (digits of 6 pixels, "2011-05-24 15:59:13" 99
// pixels, "KOhm" 29, alphabet 323): FreeSans 101, 31 and 331; Liberation Sans and its twin Arimo 101,
// 31 and 333; DejaVu Sans Condensed 105, 30 and 317. The closest first.
QStringList StandIns()
{
    return {QStringLiteral("FreeSans"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
            QStringLiteral("DejaVu Sans Condensed")};
}

// For fonts that name the family themselves.
void RegisterSubstitutes()
{
    static const bool registered = [] {
        QFont::insertSubstitutions(kWindowFamily, StandIns());
        return true;
    }();
    (void)registered;
}

}  // namespace

QFont WindowFont()
{
    RegisterSubstitutes();
    static const QStringList families = FirstInstalled(QStringList(kWindowFamily) + StandIns());
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(11);
    return font;
}

}  // namespace korvex

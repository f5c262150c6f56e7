#include "display/FontFamilies.h"

#include <QFontDatabase>

namespace korvex {

QStringList FromFirstInstalled(const QStringList& families)
{
    const QStringList installed = QFontDatabase::families();
    for (qsizetype i = 0; i < families.size(); ++i) {
        if (installed.contains(families[i], Qt::CaseInsensitive))
            return families.mid(i);
    }
    return families;
}

}  // namespace korvex

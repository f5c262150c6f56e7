#include "display/FontFamilies.h"

#include <QFontDatabase>

namespace korvex {

QStringList FirstInstalled(const QStringList& families)
{
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : families) {
        if (installed.contains(family, Qt::CaseInsensitive))
            return {family};
    }
    return families;
}

}  // namespace korvex

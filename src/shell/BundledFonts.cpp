#include "shell/BundledFonts.h"

#include <QDir>
#include <QFontDatabase>

namespace korvex {

int LoadBundledFonts(const QString& folder)
{
    int loaded = 0;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.ttf"), QStringLiteral("*.otf")}, QDir::Files)) {
        if (QFontDatabase::addApplicationFont(dir.filePath(name)) >= 0)
            ++loaded;
    }
    return loaded;
}

}  // namespace korvex

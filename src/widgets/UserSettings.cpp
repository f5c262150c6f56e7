#include "widgets/UserSettings.h"

namespace korvex {

// Named here rather than by the application's name, which would also change the titles that use it.
QSettings UserSettings()
{
    return QSettings(QSettings::UserScope, QStringLiteral("korvex"), QStringLiteral("korvex-lcr"));
}

}  // namespace korvex

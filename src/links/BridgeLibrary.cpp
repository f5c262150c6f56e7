#include "links/BridgeLibrary.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>

namespace korvex {
namespace {

template <typename Fn>
bool bind(QLibrary& library, const char* name, Fn& slot)
{
    slot = reinterpret_cast<Fn>(library.resolve(name));
    if (!slot)
        std::fprintf(stderr, "%s: entry point %s not found\n", KORVEX_BRIDGE_LIBRARY_FILE, name);
    return slot != nullptr;
}

} // namespace

QString BridgeLibrary::defaultPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/" KORVEX_BRIDGE_LIBRARY_FILE);
}

BridgeLibrary::BridgeLibrary(const QString& path)
{
    if (!QFileInfo::exists(path)) {
        showMissingFileBox();
        return;
    }
    library_ = std::make_unique<QLibrary>(path);
    // Every entry point bound at load, so a broken library fails here rather than at its first call.
    library_->setLoadHints(QLibrary::ResolveAllSymbolsHint);
    if (!library_->load()) {
        std::fprintf(stderr, "%s: %s\n", KORVEX_BRIDGE_LIBRARY_FILE, qPrintable(library_->errorString()));
        return;
    }
    bound_ = resolve();
    if (!bound_)
        api_ = {};
}

// The library stays loaded to the end of the process, as Windows programs keep theirs: another binding of
// the same file (the listing, a second link) finds it as it was.
BridgeLibrary::~BridgeLibrary() = default;

bool BridgeLibrary::resolve()
{
    // Every name is tried, so standard error lists all that are missing.
    bool ok = true;
    ok &= bind(*library_, "HidUart_GetNumDevices", api_.GetNumDevices);
    ok &= bind(*library_, "HidUart_GetString", api_.GetString);
    ok &= bind(*library_, "HidUart_GetOpenedString", api_.GetOpenedString);
    ok &= bind(*library_, "HidUart_GetHidGuid", api_.GetHidGuid);
    ok &= bind(*library_, "HidUart_Open", api_.Open);
    ok &= bind(*library_, "HidUart_Close", api_.Close);
    ok &= bind(*library_, "HidUart_IsOpened", api_.IsOpened);
    ok &= bind(*library_, "HidUart_GetPartNumber", api_.GetPartNumber);
    ok &= bind(*library_, "HidUart_SetUartConfig", api_.SetUartConfig);
    ok &= bind(*library_, "HidUart_GetUartConfig", api_.GetUartConfig);
    ok &= bind(*library_, "HidUart_SetTimeouts", api_.SetTimeouts);
    ok &= bind(*library_, "HidUart_Read", api_.Read);
    ok &= bind(*library_, "HidUart_Write", api_.Write);
    ok &= bind(*library_, "HidUart_GetPinConfig", api_.GetPinConfig);
    ok &= bind(*library_, "HidUart_ReadLatch", api_.ReadLatch);
    api_.KorvexStatuses = reinterpret_cast<int (*)()>(library_->resolve("KorvexHidUart_Statuses"));
    return ok;
}

void BridgeLibrary::showMissingFileBox()
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), QStringLiteral("DLL File is not Exists!"));
    box.setObjectName(QStringLiteral("DllMissingBox"));
    box.addButton(QMessageBox::Ok)->setObjectName(QStringLiteral("OK"));
    box.exec();
}

} // namespace korvex

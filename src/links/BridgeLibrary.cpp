#include "links/BridgeLibrary.h"

#include <dlfcn.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>

namespace korvex {
namespace {

template <typename Fn>
bool bind(void* handle, const char* name, Fn& slot)
{
    slot = reinterpret_cast<Fn>(dlsym(handle, name));
    if (!slot)
        std::fprintf(stderr, "libslabhidtouart: entry point %s not found\n", name);
    return slot != nullptr;
}

} // namespace

QString BridgeLibrary::defaultPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/libslabhidtouart.so");
}

BridgeLibrary::BridgeLibrary(const QString& path)
{
    if (!QFileInfo::exists(path)) {
        showMissingFileBox();
        return;
    }
    handle_ = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        std::fprintf(stderr, "libslabhidtouart: %s\n", dlerror());
        return;
    }
    bound_ = resolve();
    if (!bound_)
        api_ = {};
}

BridgeLibrary::~BridgeLibrary()
{
    if (handle_)
        dlclose(handle_);
}

bool BridgeLibrary::resolve()
{
    // Every name is tried, so standard error lists all that are missing.
    bool ok = true;
    ok &= bind(handle_, "HidUart_GetNumDevices", api_.GetNumDevices);
    ok &= bind(handle_, "HidUart_GetString", api_.GetString);
    ok &= bind(handle_, "HidUart_GetOpenedString", api_.GetOpenedString);
    ok &= bind(handle_, "HidUart_GetHidGuid", api_.GetHidGuid);
    ok &= bind(handle_, "HidUart_Open", api_.Open);
    ok &= bind(handle_, "HidUart_Close", api_.Close);
    ok &= bind(handle_, "HidUart_IsOpened", api_.IsOpened);
    ok &= bind(handle_, "HidUart_GetPartNumber", api_.GetPartNumber);
    ok &= bind(handle_, "HidUart_SetUartConfig", api_.SetUartConfig);
    ok &= bind(handle_, "HidUart_GetUartConfig", api_.GetUartConfig);
    ok &= bind(handle_, "HidUart_SetTimeouts", api_.SetTimeouts);
    ok &= bind(handle_, "HidUart_Read", api_.Read);
    ok &= bind(handle_, "HidUart_Write", api_.Write);
    ok &= bind(handle_, "HidUart_GetPinConfig", api_.GetPinConfig);
    ok &= bind(handle_, "HidUart_ReadLatch", api_.ReadLatch);
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

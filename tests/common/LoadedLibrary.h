#pragma once

#include <QString>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace korvex::testing {

// A library file's name as this system spells it: "name" becomes libname.so or libname.dll.
inline QString SharedLibraryName(const char* stem)
{
    return QStringLiteral("lib%1%2").arg(QLatin1String(stem), QLatin1String(KORVEX_SHARED_LIBRARY_SUFFIX));
}

// An entry point of a library this process has loaded already, without loading it: nullptr when the
// library is not loaded (or lacks the name).
inline void* EntryOfLoadedLibrary(const QString& path, const char* name)
{
#ifdef _WIN32
    HMODULE module = GetModuleHandleW(reinterpret_cast<const wchar_t*>(QString(path).replace('/', '\\').utf16()));
    return module ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
#else
    void* handle = dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        return nullptr;
    void* entry = dlsym(handle, name);
    dlclose(handle);
    return entry;
#endif
}

} // namespace korvex::testing

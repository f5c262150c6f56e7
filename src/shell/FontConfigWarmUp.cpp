#include "shell/FontConfigWarmUp.h"

#include <dlfcn.h>
#include <system_error>

namespace korvex {
namespace {

// Fontconfig as Qt's own libraries loaded it: no library is loaded here that the program would not load.
void LoadFontConfiguration()
{
    void* fontconfig = dlopen("libfontconfig.so.1", RTLD_LAZY | RTLD_NOLOAD);
    if (fontconfig == nullptr)
        return;
    // FcInit loads the configuration once per process; Qt's own call then finds it loaded.
    if (auto* init = reinterpret_cast<int (*)()>(dlsym(fontconfig, "FcInit")))
        init();
    dlclose(fontconfig);
}

}  // namespace

TFontConfigWarmUp::TFontConfigWarmUp()
{
    try {
        thread_ = std::thread(LoadFontConfiguration);
    } catch (const std::system_error&) {
        // No thread to spare: Qt loads the configuration itself when it first needs it.
    }
}

TFontConfigWarmUp::~TFontConfigWarmUp()
{
    Join();
}

void TFontConfigWarmUp::Join()
{
    if (thread_.joinable())
        thread_.join();
}

}  // namespace korvex

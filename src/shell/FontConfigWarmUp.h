#pragma once

#include <thread>

namespace korvex {

// Loads the system's font configuration on a thread of its own while the application connects to the
// display (on Linux: reading fontconfig's files takes a few milliseconds of the start, and the first
// text the window lays out would wait for them). Join() before anything uses fonts; nothing happens
// where Qt does not take its fonts from fontconfig.
class TFontConfigWarmUp {
public:
    TFontConfigWarmUp();
    TFontConfigWarmUp(const TFontConfigWarmUp&) = delete;
    TFontConfigWarmUp& operator=(const TFontConfigWarmUp&) = delete;
    ~TFontConfigWarmUp();

    void Join();

private:
    std::thread thread_;
};

}  // namespace korvex

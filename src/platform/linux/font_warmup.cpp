#include "platform/linux/font_warmup.h"

#include <fontconfig/fontconfig.h>

#include <system_error>

namespace lt {

// FcInit publishes the configuration with an atomic compare-and-swap: should the toolkit
// ask for it first, each side loads one and the later is dropped, so nothing is shared
// half-built.
FontWarmup::FontWarmup() {
    try {
        thread_ = std::thread([] { FcInit(); });
    } catch (const std::system_error&) {
        // No thread to be had: Qt reads the configuration itself, as it always could.
    }
}

void FontWarmup::wait() {
    if (thread_.joinable()) thread_.join();
}

}  // namespace lt

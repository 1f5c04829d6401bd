#include "platform/linux/font_warmup.h"

#include <fontconfig/fontconfig.h>

namespace lt {

// FcInit publishes the configuration with an atomic compare-and-swap: should the toolkit
// ask for it first, each side loads one and the later is dropped, so nothing is shared
// half-built.
FontWarmup::FontWarmup() : thread_([] { FcInit(); }) {}

void FontWarmup::wait() {
    if (thread_.joinable()) thread_.join();
}

}  // namespace lt

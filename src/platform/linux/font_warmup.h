#pragma once
// Reading the font configuration (its XML files and font caches) is a large share of a
// start. The toolkit does it only when it first measures a text, after it has connected
// to the display; begun on a thread of its own at the top of main, it is done by then.
#include <thread>

namespace lt {

class FontWarmup {
  public:
    FontWarmup();
    // The toolkit destroys the configuration when its font database goes, so the
    // thread must have ended before the application object is destroyed.
    ~FontWarmup() { wait(); }
    FontWarmup(const FontWarmup&) = delete;
    FontWarmup& operator=(const FontWarmup&) = delete;

    void wait();

  private:
    std::thread thread_;
};

}  // namespace lt

// Times a program from its start to its first top-level window being mapped on the X
// display: a fair start-up figure for any toolkit, measured from outside the program.
// Usage: startup_timer RUNS program [args...]; prints one time in milliseconds per run.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

double timeOneStart(xcb_connection_t* c, char** argv) {
    using clock = std::chrono::steady_clock;
    const auto start = clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[0], argv);
        _exit(127);
    }
    double ms = -1;
    int status = 0;
    // A program that ends before it shows a window (one that cannot reach the display)
    // is not waited for.
    pollfd events{xcb_get_file_descriptor(c), POLLIN, 0};
    while (ms < 0 && !xcb_connection_has_error(c)) {
        if (waitpid(pid, &status, WNOHANG) == pid) return -1;
        while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
            const auto type = e->response_type & 0x7f;
            if (ms < 0 && type == XCB_MAP_NOTIFY &&
                !reinterpret_cast<xcb_map_notify_event_t*>(e)->override_redirect)
                ms = std::chrono::duration<double, std::milli>(clock::now() - start).count();
            free(e);
        }
        if (ms < 0) poll(&events, 1, 50);
    }
    kill(pid, SIGTERM);
    waitpid(pid, &status, 0);
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s RUNS program [args...]\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "startup_timer: no X display\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
    for (int i = 0; i < runs; ++i) {
        // A start that ended early is tried again, at most twice, and said so.
        double ms = -1;
        for (int attempt = 0; attempt < 3 && ms < 0; ++attempt) {
            ms = timeOneStart(c, argv + 2);
            if (ms < 0)
                std::fprintf(stderr, "startup_timer: %s ended before its window\n", argv[2]);
        }
        if (ms < 0) return 1;
        std::printf("%.1f\n", ms);
        std::fflush(stdout);
        usleep(200000);
    }
    xcb_disconnect(c);
    return 0;
}

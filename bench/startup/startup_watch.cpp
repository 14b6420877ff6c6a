// Starts a program and watches the X server from outside: the time from the
// start until its first top-level window is mapped, and the program's peak
// resident memory. The program itself is not changed or told anything.
//
//   startup_watch PROGRAM [ARGS...]
// prints: "<seconds> <peak KiB>"
#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "使い方: startup_watch プログラム [引数...]\n");
        return 2;
    }
    xcb_connection_t *conn = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(conn)) {
        std::fprintf(stderr, "X サーバーに接続できません\n");
        return 2;
    }
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(conn)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(conn, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(conn);

    const auto t0 = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execv(argv[1], argv + 1);
        _exit(127);
    }

    double seconds = -1;
    pollfd pfd{xcb_get_file_descriptor(conn), POLLIN, 0};
    while (seconds < 0) {
        if (poll(&pfd, 1, 20000) <= 0)
            break;
        while (xcb_generic_event_t *ev = xcb_poll_for_event(conn)) {
            if ((ev->response_type & ~0x80) == XCB_MAP_NOTIFY && seconds < 0)
                seconds =
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            std::free(ev);
        }
        if (xcb_connection_has_error(conn))
            break;
    }
    // Let it settle so that the peak includes the first paint, then end it.
    usleep(300000);
    kill(child, SIGTERM);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    xcb_disconnect(conn);
    if (seconds < 0) {
        std::fprintf(stderr, "ウィンドウが表示されませんでした\n");
        return 1;
    }
    std::printf("%.4f %ld\n", seconds, usage.ru_maxrss);
    return 0;
}

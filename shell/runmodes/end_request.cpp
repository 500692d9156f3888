// SIGINT, SIGTERM and SIGHUP end the program from any screen as its own end
// does: the handler only notes the signal and wakes a watcher thread, which
// wakes the message loop; the loop ends the run (EndRun), and the program
// saves and closes what it holds on its usual way out. Should the loop not
// get there within a second (a message box waiting for a click), the watcher
// ends the process.
// Once the run is over, the process ends without the libraries' teardown.
#include "end_request.h"

#include <SDL.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <mutex>
#include <thread>

#include "host_api.h"
#include "shell.h"

// Where the process ends with every library's teardown: LeakSanitizer checks
// at a normal exit only, and a page's runtime ends its own way.
#if defined(__SANITIZE_ADDRESS__) || defined(__EMSCRIPTEN__)
#define ZODUZOR_WHOLE_EXIT
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZODUZOR_WHOLE_EXIT
#endif
#endif

namespace w32::detail {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
// How long the loop has to end the run by itself.
constexpr std::chrono::milliseconds kGrace{900};

std::atomic<int> requested{0};
std::atomic<bool> over{false};
pid_t owner = 0;
int wake[2] = {-1, -1};

void OnSignal(int sig)
{
    const int saved = errno;
    // A child forked without a new program (SDL's message box) just ends.
    if (::getpid() != owner)
        ::_exit(128 + sig);
    int none = 0;
    requested.compare_exchange_strong(none, sig);
    const char byte = static_cast<char>(sig);
    [[maybe_unused]] const ssize_t n = ::write(wake[1], &byte, 1);
    errno = saved;
}

bool NextSignal(int timeoutMs)
{
    pollfd p{wake[0], POLLIN, 0};
    char byte = 0;
    return ::poll(&p, 1, timeoutMs) > 0 && ::read(wake[0], &byte, 1) == 1;
}

void Watch()
{
    while (!NextSignal(-1)) {
    }
    // The loop may be waiting for SDL's events: one wakes it.
    if (SDL_WasInit(SDL_INIT_EVENTS)) {
        SDL_Event ev{};
        ev.type = SDL_USEREVENT;
        SDL_PushEvent(&ev);
    }
    // Further signals change nothing: the first one is being answered.
    const auto deadline = std::chrono::steady_clock::now() + kGrace;
    while (!over && std::chrono::steady_clock::now() < deadline)
        NextSignal(50);
    if (over)
        return;
    const int sig = requested.load();
    std::fprintf(stderr, "zoduzor: %s: the game could not end by itself in time; it ends now\n",
                 strsignal(sig));
    std::quick_exit(128 + sig);
}

} // namespace

int EndRequest()
{
    return requested.load(std::memory_order_relaxed);
}

void TakeEndRequest()
{
    if (EndRequest() != 0)
        EndRun(0);
}

void RunIsOver()
{
    over = true;
    // Ended from outside: the sound stops now rather than with the process.
    if (EndRequest() != 0)
        MciShutdown();
}

int CheckStopped(const std::string& replay)
{
    const int sig = EndRequest();
    if (sig != 0)
        std::cout << "The check of " << replay << " was stopped (" << strsignal(sig)
                  << ") before its end." << std::endl;
    return sig != 0 ? 128 + sig : 0;
}

void RemoveAtQuickExit(const std::filesystem::path& folder)
{
    static std::filesystem::path kept;
    static std::once_flag once;
    kept = folder;
    std::call_once(once, [] {
        std::at_quick_exit([] {
            std::error_code ec;
            std::filesystem::remove_all(kept, ec);
        });
    });
}

} // namespace w32::detail

namespace w32 {

void EndOnSignals()
{
    using namespace detail;
    if (owner != 0 || ::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    owner = ::getpid();
    // SDL would turn SIGINT and SIGTERM into the close box's quit event.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    std::thread(Watch).detach();
    for (int sig : kSignals) {
        struct sigaction now
        {
        };
        // A signal the program was started to ignore (nohup) stays ignored.
        if (::sigaction(sig, nullptr, &now) == 0 && now.sa_handler == SIG_IGN)
            continue;
        struct sigaction action
        {
        };
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(sig, &action, nullptr);
    }
}

int EndProcess(int code)
{
#ifdef ZODUZOR_WHOLE_EXIT
    return code;
#else
    std::cout.flush();
    std::cerr.flush();
    std::clog.flush();
    std::fflush(nullptr);
    std::quick_exit(code);
#endif
}

} // namespace w32

#include "r5/consolesignals.h"

#include <QObject>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace r5 {

namespace {

// A signal handler may only write to a descriptor; the event loop reads the other end.
int g_pipe[2] = {-1, -1};
volatile std::sig_atomic_t g_signalled = 0;

void onSignal(int)
{
    // A second signal means the first was not enough: go at once.
    if (g_signalled)
        ::_exit(1);
    g_signalled = 1;
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(g_pipe[1], &c, 1);
}

} // namespace

void onConsoleSignals(QObject *context, std::function<void()> handler)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context,
                     [notifier, handler = std::move(handler)] {
                         notifier->setEnabled(false);
                         handler();
                     });
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    for (const int s : {SIGINT, SIGTERM, SIGHUP})
        sigaction(s, &sa, nullptr);
}

} // namespace r5

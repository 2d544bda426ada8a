#include "platform/shell/EndSignals.h"

#include <cerrno>
#include <csignal>
#include <iterator>

#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = { SIGTERM, SIGINT, SIGHUP };

// A signal handler reaches nothing but what the process holds for it: the pipe's end it writes
// to, and what each signal did before, to hand back. Only the one EndSignals object sets them.
int g_writeEnd = -1;
struct sigaction g_before[std::size(kSignals)];
bool g_caught[std::size(kSignals)];

extern "C" void onEndSignal(int signal)
{
    const int saved = errno;
    const auto number = static_cast<unsigned char>(signal);
    // A full pipe already holds signals enough to end the program.
    [[maybe_unused]] const ssize_t written = ::write(g_writeEnd, &number, 1);
    errno = saved;
}

} // namespace

EndSignals::EndSignals(std::function<void(int signal)> received)
    : m_received(std::move(received))
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_readEnd = ends[0];
    g_writeEnd = ends[1];
    m_notifier = std::make_unique<QSocketNotifier>(m_readEnd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] {
        readSignals();
    });
    struct sigaction action = {};
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        g_caught[i] = ::sigaction(kSignals[i], nullptr, &g_before[i]) == 0
            && g_before[i].sa_handler != SIG_IGN && ::sigaction(kSignals[i], &action, nullptr) == 0;
    }
}

EndSignals::~EndSignals()
{
    if (m_readEnd < 0)
        return;
    // The handlers go before the pipe: a signal now must find no closed (or reused) descriptor.
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        if (g_caught[i])
            ::sigaction(kSignals[i], &g_before[i], nullptr);
        g_caught[i] = false;
    }
    m_notifier.reset();
    ::close(g_writeEnd);
    g_writeEnd = -1;
    ::close(m_readEnd);
}

void EndSignals::readSignals()
{
    unsigned char numbers[16];
    for (;;) {
        const ssize_t count = ::read(m_readEnd, numbers, sizeof numbers);
        if (count <= 0)
            return;
        for (ssize_t i = 0; i < count; ++i)
            m_received(numbers[i]);
    }
}

#include "common/termsignals.h"

#include "common/appsettings.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Common {

namespace {

constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};
volatile std::sig_atomic_t g_writeFd = -1;

// Only async-signal-safe calls here: one byte down the pipe, errno kept.
extern "C" void OnTerminationSignal(int signalNumber)
{
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    if (g_writeFd >= 0) [[maybe_unused]]
        const ssize_t ignored = ::write(g_writeFd, &byte, 1);
    errno = savedErrno;
}

void SetHandler(void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : kSignals)
        sigaction(s, &action, nullptr);
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
    int fds[2];
    if (g_writeFd >= 0 ||
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds) != 0)
        return; // the signals keep their default action: the program just ends
    readEnd_.reset(fds[0]);
    writeEnd_.reset(fds[1]);
    g_writeFd = writeEnd_.get();
    notifier_ = std::make_unique<QSocketNotifier>(readEnd_.get(), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &TerminationSignals::readSignals);
    SetHandler(OnTerminationSignal);
}

TerminationSignals::~TerminationSignals()
{
    if (!isActive())
        return;
    SetHandler(SIG_DFL);
    g_writeFd = -1;
}

void TerminationSignals::readSignals()
{
    unsigned char byte = 0;
    while (::read(readEnd_.get(), &byte, 1) == 1)
        Q_EMIT received(byte);
}

void CloseWhenIdle(QWidget& mainWindow)
{
    if (mainWindow.findChild<QTimer*>(QStringLiteral("closeWhenIdle")))
        return;                            // a second signal while the first is being served
    auto* retry = new QTimer(&mainWindow); // goes with the window
    retry->setObjectName(QStringLiteral("closeWhenIdle"));
    retry->setInterval(100);
    const auto attempt = [retry, window = QPointer<QWidget>(&mainWindow)] {
        if (!window)
            return;
        if (QWidget* modal = QApplication::activeModalWidget()) {
            modal->close(); // the splash refuses; it ends by itself
            return;
        }
        if (window->isEnabled() && !WaitPending && window->close())
            retry->stop();
    };
    QObject::connect(retry, &QTimer::timeout, retry, attempt);
    retry->start();
    attempt();
}

} // namespace Common

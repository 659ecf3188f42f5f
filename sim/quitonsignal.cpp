#include "quitonsignal.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace Sim {

namespace {

volatile std::sig_atomic_t g_writeFd = -1;

void OnSignal(int signalNumber)
{
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    if (g_writeFd >= 0) {
        [[maybe_unused]] const ssize_t n = ::write(g_writeFd, &byte, 1);
    }
}

bool Install(int signalNumber, void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(signalNumber, &action, nullptr) == 0;
}

} // namespace

QuitOnSignal::QuitOnSignal(QObject* parent) : QObject(parent)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    readEnd_.reset(fds[0]);
    writeEnd_.reset(fds[1]);
    g_writeFd = writeEnd_.get();
    notifier_ = std::make_unique<QSocketNotifier>(readEnd_.get(), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &QuitOnSignal::readSignal);
    valid_ = Install(SIGINT, OnSignal) && Install(SIGTERM, OnSignal);
}

QuitOnSignal::~QuitOnSignal()
{
    Install(SIGINT, SIG_DFL);
    Install(SIGTERM, SIG_DFL);
    g_writeFd = -1;
}

void QuitOnSignal::readSignal()
{
    unsigned char byte = 0;
    while (::read(readEnd_.get(), &byte, 1) == 1)
        Q_EMIT received(byte);
}

} // namespace Sim

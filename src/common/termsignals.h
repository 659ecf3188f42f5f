#pragma once
// SIGTERM, SIGINT and SIGHUP (a shutdown, a logout, Ctrl+C in a terminal)
// delivered through the event loop, so that the program can end the way
// File > Exit ends it and save the code reached (otherwise the next start
// would offer a code that printers already carry), and the simulated printer
// can remove its data-folder link.

#include "common/unixfd.h"

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace Common {

class TerminationSignals final : public QObject {
    Q_OBJECT

public:
    // Takes over the three signals until destroyed; one object at a time.
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;
    bool isActive() const { return notifier_ != nullptr; }

Q_SIGNALS:
    void received(int signalNumber);

private:
    void readSignals();

    UniqueFd readEnd_;
    UniqueFd writeEnd_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

// Closes the main window in order once nothing holds it open: a modal
// message box or dialog is closed first (as its close box would), an
// operation that is waiting or the start-up is let finish.
void CloseWhenIdle(QWidget& mainWindow);

} // namespace Common

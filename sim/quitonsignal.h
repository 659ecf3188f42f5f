#pragma once
// Turns SIGINT and SIGTERM into a Qt signal, so that the simulator ends
// through the event loop and its objects remove what they made (the
// data-folder link). The handler only writes a byte to a pipe; the rest
// happens on the event loop. One instance per process.

#include "common/unixfd.h"

#include <QObject>
#include <memory>

class QSocketNotifier;

namespace Sim {

class QuitOnSignal : public QObject {
    Q_OBJECT
public:
    explicit QuitOnSignal(QObject* parent = nullptr);
    ~QuitOnSignal() override;
    // False when the pipe or the handlers could not be set up.
    bool isValid() const { return valid_; }

Q_SIGNALS:
    void received(int signalNumber);

private:
    void readSignal();

    Common::UniqueFd readEnd_;
    Common::UniqueFd writeEnd_;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool valid_ = false;
};

} // namespace Sim

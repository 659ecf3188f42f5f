#pragma once
// The simulated printer behind a pseudo-terminal, standing in for a printer on
// a USB virtual COM port: the host opens the slave side (/dev/pts/N, or the
// port name linked to it in a data folder) as it would /dev/ttyACM0.
//
// What the host writes is fed to the printer; what the printer transmits is
// written back, late when the printer is set to answer late. While the
// printer takes no input (reset, offline) the bytes stay in the terminal,
// as a USB device holds off its host. A printer that vanishes closes the
// master, so the host's next transfer fails as on an unplugged device.

#include "common/unixfd.h"
#include "folderlink.h"
#include "simprinter.h"

#include <QObject>
#include <QTimer>
#include <memory>

class QSocketNotifier;

namespace Sim {

class PtyPrinter : public QObject {
    Q_OBJECT
public:
    explicit PtyPrinter(std::shared_ptr<SimPrinter> printer, QObject* parent = nullptr);
    ~PtyPrinter() override;

    // Opens the pseudo-terminal; false with errorString() on failure.
    bool open();
    void close();
    bool isOpen() const { return master_.valid(); }
    QString slavePath() const { return slavePath_; }

    // Links <folder>/<name> (COM16) to the slave path until close().
    bool linkInto(const QString& folder, const QString& name);
    QString linkPath() const { return link_.path(); }

    QString errorString() const { return error_; }
    SimPrinter& printer() { return *printer_; }

Q_SIGNALS:
    void vanished();

private:
    bool fail(const QString& what);
    void readFromHost();
    void feedPrinter();
    void pauseReading();
    void resumeReading();
    void sendReplies();
    void writeToHost();
    void vanish();
    void releaseTerminal(); // both ends, the timers and what is queued

    std::shared_ptr<SimPrinter> printer_;
    Common::UniqueFd master_;
    // The printer keeps the slave open itself, so the master never sees a
    // hang-up between two opens by the host.
    Common::UniqueFd slave_;
    QString slavePath_;
    FolderLink link_;
    std::unique_ptr<QSocketNotifier> readNotifier_;
    std::unique_ptr<QSocketNotifier> writeNotifier_;
    QTimer resumeTimer_;
    QTimer replyTimer_;
    QByteArray unfed_;  // read from the terminal, not yet taken by the printer
    QByteArray unsent_; // transmitted by the printer, not yet taken by the terminal
    QString error_;
};

} // namespace Sim

#pragma once
// The simulated printer behind a stand-in for a USB printer device node: a
// FIFO the raw-print backend writes its jobs to, linked into a data folder
// under the port name (USB001). The bytes read from it are fed to the
// printer. USB printer ports carry no replies.
//
// As with the USB printer driver, a write is taken whole whatever the
// printer does; until the printer has taken it (offline, resetting) the node
// is made to look full, so it does not poll writable and a further write
// would block (EAGAIN). What an offline printer was sent reaches it when it
// comes back online. Vanishing removes the node and its link.

#include "common/unixfd.h"
#include "folderlink.h"
#include "simprinter.h"

#include <QObject>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

class QSocketNotifier;

namespace Sim {

class UsbNodePrinter : public QObject {
    Q_OBJECT
public:
    explicit UsbNodePrinter(std::shared_ptr<SimPrinter> printer, QObject* parent = nullptr);
    ~UsbNodePrinter() override;

    // Creates the node in a private folder and links linkPath to it; false
    // with errorString() on failure.
    bool open(const QString& linkPath);
    void close();
    bool isOpen() const { return fifo_.valid(); }
    QString nodePath() const { return nodePath_; }
    QString linkPath() const { return link_.path(); }

    // The printer stops (or starts again) taking bytes.
    void setOffline(bool offline);
    bool offline() const { return offline_; }
    // Bytes read from the node that the printer has not taken yet.
    qsizetype heldBytes() const { return unfed_.size(); }

    QString errorString() const { return error_; }
    SimPrinter& printer() { return *printer_; }

private:
    bool fail(const QString& what);
    void readNode();
    void fillNode();
    void drainFiller();
    void checkPrinter();

    std::shared_ptr<SimPrinter> printer_;
    std::unique_ptr<QTemporaryDir> dir_;
    QString nodePath_;
    // Opened for reading and writing: a FIFO opened so never reads as ended
    // when a writer closes, and lets the printer fill it when offline.
    Common::UniqueFd fifo_;
    FolderLink link_;
    std::unique_ptr<QSocketNotifier> notifier_;
    QTimer pollTimer_;
    QByteArray unfed_;
    qint64 filler_ = 0; // bytes of our own in the node, ahead of any new data
    bool offline_ = false;
    QString error_;
};

} // namespace Sim

#pragma once
// The simulated printer where the program looks for it: a pseudo-terminal as
// COM16 (virtual COM), the serial control, the port I/O (parallel) or a node
// stand-in as USB001; taken away again when the object goes.

#include "common/appsettings.h"
#include "ieee1284peripheral.h"
#include "ptyprinter.h"
#include "simparallelport.h"
#include "simprinter.h"
#include "simserialcontrol.h"
#include "usbnodeprinter.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>

namespace SimTest {

class SimulatedLink {
public:
    SimulatedLink(std::uint8_t interfaceKind, std::shared_ptr<Sim::SimPrinter> printer);
    ~SimulatedLink();
    SimulatedLink(const SimulatedLink&) = delete;
    SimulatedLink& operator=(const SimulatedLink&) = delete;

    // Puts the printer on the link; false with error() when it cannot.
    bool attach(const QString& dataFolder);
    // The printer is unplugged: the port name leads nowhere.
    void unplug();
    // The next printer on the bench takes the place of the one there.
    bool plugIn(std::shared_ptr<Sim::SimPrinter> next, const QString& dataFolder);

    std::uint8_t interfaceKind() const { return kind_; }
    // The data folder's entry for the port.
    QString portName() const;
    // The settings file's lines that select this link.
    QByteArray iniLines() const;
    QString error() const { return error_; }

    std::shared_ptr<Sim::SimPrinter> printer;
    std::shared_ptr<Sim::Ieee1284Peripheral> peripheral; // parallel
    Sim::SimParallelPort* port = nullptr;                // parallel, owned by the port I/O
    Sim::SimSerialControl* serial = nullptr;             // serial, owned by the link
    std::unique_ptr<Sim::PtyPrinter> pty;                // virtual COM
    std::unique_ptr<Sim::UsbNodePrinter> node;           // USB

private:
    std::uint8_t kind_;
    QString error_;
};

} // namespace SimTest

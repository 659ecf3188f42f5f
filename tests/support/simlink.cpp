#include "simlink.h"

#include "link/link.h"
#include "link/portio.h"
#include "link/rawprint.h"

#include <QDir>

namespace SimTest {

SimulatedLink::SimulatedLink(std::uint8_t interfaceKind, std::shared_ptr<Sim::SimPrinter> p)
    : printer(std::move(p)), kind_(interfaceKind)
{
    if (kind_ == Common::USB)
        Common::SetRawPrintBackend(Common::MakeDeviceNodeRawPrintBackend());
}

SimulatedLink::~SimulatedLink()
{
    if (kind_ == Common::Serial)
        Common::SetSerialControl(nullptr);
    else if (kind_ == Common::Parallel)
        Common::SetPortIoBackend(nullptr);
}

QString SimulatedLink::portName() const
{
    return kind_ == Common::USB ? QStringLiteral("USB001") : QStringLiteral("COM16");
}

QByteArray SimulatedLink::iniLines() const
{
    switch (kind_) {
    case Common::Serial:
        return "Interface = Serial\r\n";
    case Common::Parallel:
        return "Interface = Parallel\r\n";
    case Common::USB:
        return "Interface = USB\r\nUSBPort = 1\r\n";
    default:
        return "Interface = VirtualCOM\r\nCOMPort =  16\r\n";
    }
}

bool SimulatedLink::attach(const QString& dataFolder)
{
    switch (kind_) {
    case Common::Serial: {
        auto control = std::make_unique<Sim::SimSerialControl>(printer);
        serial = control.get();
        Common::SetSerialControl(std::move(control));
        return true;
    }
    case Common::Parallel: {
        peripheral = std::make_shared<Sim::Ieee1284Peripheral>(printer);
        auto simPort = std::make_unique<Sim::SimParallelPort>(peripheral);
        port = simPort.get();
        Common::SetPortIoBackend(std::move(simPort)); // initialised by the start-up
        return true;
    }
    case Common::USB:
        node = std::make_unique<Sim::UsbNodePrinter>(printer);
        if (!node->open(QDir(dataFolder).filePath(portName())))
            error_ = node->errorString();
        return error_.isEmpty();
    default:
        pty = std::make_unique<Sim::PtyPrinter>(printer);
        if (!pty->open() || !pty->linkInto(dataFolder, portName()))
            error_ = pty->errorString();
        return error_.isEmpty();
    }
}

void SimulatedLink::unplug()
{
    pty.reset();
    node.reset();
}

bool SimulatedLink::plugIn(std::shared_ptr<Sim::SimPrinter> next, const QString& dataFolder)
{
    unplug();
    printer = std::move(next);
    return attach(dataFolder);
}

} // namespace SimTest

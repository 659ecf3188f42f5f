#pragma once
// The command-line options of zentab-printer-sim and how they set up the
// simulated printer.

#include "simfaults.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

class QCommandLineParser;

namespace Sim {

class SimPrinter;

struct SimOptions {
    QString linkDir; // empty: no link
    QString portName = QStringLiteral("COM16");
    QString logFile; // empty: standard output
    std::uint8_t modelId = 0x35;
    QByteArray code; // empty: ten 00h bytes
    QByteArray modelName = "ZX-P700";
    int resetMs = 1000;
    SimFaults faults;
};

void AddSimOptions(QCommandLineParser& parser);
// The options given; nothing, with *error saying why, for a bad value.
std::optional<SimOptions> ReadSimOptions(const QCommandLineParser& parser, QString* error);
void ApplySimOptions(const SimOptions& options, SimPrinter& printer);

// A byte written as 0x51, 51h or 81.
std::optional<std::uint8_t> ParseByte(const QString& text);

} // namespace Sim

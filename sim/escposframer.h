#pragma once
// Where one ESC/POS command ends. The printer knows the length of the
// commands the identification tool sends: GS I n, and GS ( E with pL pH
// giving the bytes after pH. Every GS ( x command follows that pL pH rule, so
// its data is never read as the start of another command. Any other command
// is taken as its prefix and one byte.

#include <QByteArrayView>
#include <QString>
#include <cstdint>

namespace Sim {

constexpr std::uint8_t kDle = 0x10;
constexpr std::uint8_t kEsc = 0x1B;
constexpr std::uint8_t kFs = 0x1C;
constexpr std::uint8_t kGs = 0x1D;

// True for the bytes that begin a command (DLE, ESC, FS, GS); every other
// byte is print data.
bool IsCommandPrefix(std::uint8_t byte);

struct Frame {
    enum Status { Complete, NeedMore };
    Status status = NeedMore;
    // Complete: the length of the command. NeedMore: the least total length
    // that can tell more (always greater than the bytes given).
    qint64 length = 0;
};

// Frames the command that starts at bytes[0], which is a command prefix.
Frame FrameCommand(QByteArrayView bytes);

// Short readable name of a complete command: "GS I 1", "GS I 44h",
// "GS ( E fn 1 IN", "GS ( E fn F0h \"Printer001\"", "GS ( k", "ESC @".
QString DescribeCommand(QByteArrayView command);

// "1D 49 01"; a long block is cut after max bytes and marked with "...".
QString HexBytes(QByteArrayView bytes, int max = 64);

} // namespace Sim

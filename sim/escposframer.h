#pragma once
// Where one ESC/POS command ends. The printer needs this so that the
// parameters and data of a command it does not act on (a bit image, a bar
// code, a paper cut) are never read as the start of another command.

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
// Lengths follow the public command descriptions; a command not listed is
// taken as the prefix and one byte.
Frame FrameCommand(QByteArrayView bytes);

// Short readable name of a complete command: "ESC @", "GS V", "GS I 1",
// "GS ( E fn 1 IN", "DLE EOT 1".
QString DescribeCommand(QByteArrayView command);

// "1D 49 01"; a long block is cut after max bytes and marked with "...".
QString HexBytes(QByteArrayView bytes, int max = 64);

} // namespace Sim

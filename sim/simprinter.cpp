#include "simprinter.h"

#include "escposframer.h"

#include <algorithm>

namespace Sim {

namespace {

// A command longer than this (a GS ( x block with pL pH near FFFFh, such as
// stored graphics) is passed over byte by byte instead of being held whole.
constexpr qint64 kMaxHeldCommand = 64 * 1024;
// Print data is logged in pieces of at most this many bytes.
constexpr qsizetype kMaxDataEntry = 256;
constexpr qsizetype kMaxLogEntries = 10000;

const QByteArray kUserModeNotice("\x37\x20\x00", 3);
// What a printer with a garbled line might send: no header, no terminator,
// not one byte long.
const QByteArray kNoise("\xE3\x0F\x7C\x81\xFF\x5A\x11", 7);

std::uint8_t At(QByteArrayView b, qsizetype i)
{
    return static_cast<std::uint8_t>(b[i]);
}

QByteArray Fitted(const QByteArray& bytes, int length)
{
    QByteArray fitted = bytes.left(length);
    fitted.append(length - fitted.size(), '\0');
    return fitted;
}

QString NotInUserMode()
{
    return QStringLiteral("ignored: not in the user setting mode");
}

} // namespace

SimPrinter::SimPrinter(QObject* parent) : QObject(parent), code_(kCodeLength, '\0')
{
    qRegisterMetaType<Sim::SimCommand>();
    setModelName("ZX-P700");
    started_.start();
}

void SimPrinter::setIdentificationCode(const QByteArray& code)
{
    code_ = Fitted(code, kCodeLength);
}

void SimPrinter::setModelName(const QByteArray& name)
{
    name_ = Fitted(name, kNameLength);
}

qint64 SimPrinter::nowMs() const
{
    return clock_ ? clock_() : started_.elapsed();
}

void SimPrinter::setClock(std::function<qint64()> clock)
{
    clock_ = std::move(clock);
}

bool SimPrinter::resetting() const
{
    return resetEndsMs_ >= 0 && nowMs() < resetEndsMs_;
}

bool SimPrinter::takingInput() const
{
    return !vanished_ && !faults_.stopsTaking && !resetting();
}

std::optional<qint64> SimPrinter::msUntilTaking() const
{
    if (vanished_ || faults_.stopsTaking)
        return std::nullopt;
    if (resetting())
        return resetEndsMs_ - nowMs();
    return 0;
}

bool SimPrinter::readyLine() const
{
    return !vanished_ && !faults_.readyLineDropped && !resetting();
}

qint64 SimPrinter::feed(QByteArrayView bytes)
{
    qint64 taken = 0;
    for (const char c : bytes) {
        if (faults_.vanishAfterBytes && bytesTaken_ >= *faults_.vanishAfterBytes)
            vanish();
        if (!takingInput())
            break;
        ++taken;
        ++bytesTaken_;
        takeByte(static_cast<std::uint8_t>(c));
    }
    if (faults_.vanishAfterBytes && bytesTaken_ >= *faults_.vanishAfterBytes)
        vanish();
    flushData();
    return taken;
}

void SimPrinter::takeByte(std::uint8_t byte)
{
    if (skipRemaining_ > 0) {
        --skipRemaining_;
        return;
    }
    if (pending_.isEmpty() && !IsCommandPrefix(byte)) {
        data_.append(static_cast<char>(byte));
        if (byte == '\n' || data_.size() >= kMaxDataEntry)
            flushData();
        return;
    }
    if (pending_.isEmpty())
        flushData();
    pending_.append(static_cast<char>(byte));
    if (pending_.size() >= needed_)
        frameCommand();
}

void SimPrinter::frameCommand()
{
    const Frame frame = FrameCommand(pending_);
    if (frame.status == Frame::NeedMore) {
        needed_ = frame.length;
        if (needed_ > kMaxHeldCommand) {
            SimCommand entry = entryFor(pending_, DescribeCommand(pending_));
            entry.note = QStringLiteral("%1 bytes passed over").arg(needed_);
            skipRemaining_ = needed_ - pending_.size();
            pending_.clear();
            needed_ = 0;
            record(std::move(entry));
        }
        return;
    }
    const QByteArray command = pending_.left(frame.length);
    const QByteArray rest = pending_.mid(frame.length);
    pending_.clear();
    needed_ = 0;
    SimCommand entry = entryFor(command, DescribeCommand(command));
    execute(command, entry);
    record(std::move(entry));
    for (const char c : rest) // the framer decides on the last byte, so normally empty
        takeByte(static_cast<std::uint8_t>(c));
}

void SimPrinter::execute(QByteArrayView command, SimCommand& entry)
{
    if (command.size() < 3 || At(command, 0) != kGs)
        return;
    if (At(command, 1) == 'I') {
        // In the user setting mode only the user setting commands are processed.
        if (userSettingMode_)
            entry.note = QStringLiteral("ignored in the user setting mode");
        else
            executeQuery(At(command, 2), entry);
    } else if (At(command, 1) == '(' && At(command, 2) == 'E') {
        executeUserSetup(command, entry);
    }
}

void SimPrinter::executeQuery(std::uint8_t n, SimCommand& entry)
{
    switch (n) {
    case 0x01:
        transmit(QByteArray(1, static_cast<char>(faults_.otherModelId.value_or(modelId_))));
        break;
    case 0x44:
        transmit('\x5F' + code_ + '\0');
        break;
    case 0x43: {
        const qsizetype end = name_.indexOf('\0');
        transmit('\x5F' + (end < 0 ? name_ : name_.left(end)) + '\0');
        break;
    }
    default:
        entry.note = QStringLiteral("not answered");
        break;
    }
}

void SimPrinter::executeUserSetup(QByteArrayView command, SimCommand& entry)
{
    const QByteArrayView body = command.sliced(5); // after pL pH: fn and its parameters
    if (body.isEmpty()) {
        entry.note = QStringLiteral("no function");
        return;
    }
    const QByteArrayView params = body.sliced(1);
    switch (At(body, 0)) {
    case 0x01:
        if (params != QByteArrayView("IN"))
            entry.note = QStringLiteral("ignored: parameters are not IN");
        else if (userSettingMode_)
            entry.note = QStringLiteral("already in the user setting mode");
        else {
            userSettingMode_ = true;
            entry.note = QStringLiteral("user setting mode");
            transmit(kUserModeNotice);
        }
        break;
    case 0x02:
        if (params != QByteArrayView("OUT"))
            entry.note = QStringLiteral("ignored: parameters are not OUT");
        else if (!userSettingMode_)
            entry.note = NotInUserMode();
        else {
            userSettingMode_ = false;
            resetEndsMs_ = nowMs() + resetMs_;
            ++softwareResets_;
            data_.clear();
            entry.note = QStringLiteral("software reset, %1 ms").arg(resetMs_);
        }
        break;
    case 0xF0:
        storeField(params, kCodeLength, code_, entry);
        break;
    case 0xE8:
        storeField(params, kNameLength, name_, entry);
        break;
    default:
        entry.note = QStringLiteral("function skipped");
        break;
    }
}

void SimPrinter::storeField(QByteArrayView params, int length, QByteArray& field, SimCommand& entry)
{
    if (!userSettingMode_)
        entry.note = NotInUserMode();
    else if (params.size() != length)
        entry.note =
            QStringLiteral("ignored: %1 data bytes, not %2").arg(params.size()).arg(length);
    else {
        field = params.toByteArray();
        entry.note = QStringLiteral("stored");
    }
}

void SimPrinter::transmit(QByteArray reply)
{
    if (faults_.silent || vanished_)
        return;
    if (faults_.garbageReplies)
        reply = kNoise;
    if (faults_.replyLengthChange < 0)
        reply.chop(std::min<qsizetype>(-qsizetype{faults_.replyLengthChange}, reply.size()));
    else
        reply.append(faults_.replyLengthChange, '\xAA');
    if (reply.isEmpty())
        return;
    replies_.push_back({nowMs() + std::max(0, faults_.replyDelayMs), reply});
    Q_EMIT replyQueued(reply);
}

QByteArray SimPrinter::takeReply()
{
    QByteArray due;
    if (replies_.empty())
        return due;
    const qint64 now = nowMs();
    while (!replies_.empty() && replies_.front().dueMs <= now) {
        due += replies_.front().bytes;
        replies_.pop_front();
    }
    return due;
}

std::optional<qint64> SimPrinter::msUntilReply() const
{
    if (replies_.empty())
        return std::nullopt;
    return std::max<qint64>(0, replies_.front().dueMs - nowMs());
}

void SimPrinter::flushData()
{
    if (data_.isEmpty())
        return;
    SimCommand entry = entryFor(data_, QStringLiteral("data"));
    data_.clear();
    record(std::move(entry));
}

SimCommand SimPrinter::entryFor(QByteArrayView bytes, QString text) const
{
    constexpr qsizetype kKeptBytes = 256;
    SimCommand entry;
    entry.atMs = nowMs();
    entry.wallTime = QTime::currentTime();
    entry.bytes = bytes.first(std::min(bytes.size(), kKeptBytes)).toByteArray();
    entry.text = std::move(text);
    return entry;
}

void SimPrinter::record(SimCommand entry)
{
    if (log_.size() >= static_cast<std::size_t>(kMaxLogEntries))
        log_.pop_front();
    log_.push_back(entry);
    // A slot may clear the log, so it gets its own copy, not the element.
    Q_EMIT commandReceived(entry);
}

void SimPrinter::vanish()
{
    if (vanished_)
        return;
    vanished_ = true;
    userSettingMode_ = false;
    replies_.clear();
    Q_EMIT gone();
}

} // namespace Sim

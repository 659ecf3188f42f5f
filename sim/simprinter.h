#pragma once
// The simulated receipt printer: the part of an ESC/POS printer that the
// identification tool talks to. It has no I/O of its own: a transport feeds
// it the bytes the host sends and takes the bytes it transmits.
//
//   GS I 1     -> the model identifier (one byte)
//   GS I 44h   -> 5Fh, the 10 identification code bytes, 00h
//   GS I 43h   -> 5Fh, the model name up to its first 00h, 00h
//   GS ( E fn 1 "IN"   enters the user setting mode and transmits 37h 20h 00h
//   GS ( E fn F0h / E8h store the code / the name, only in that mode
//   GS ( E fn 2 "OUT"  ends the mode with a software reset, during which the
//                      printer takes no input
// Everything else is framed as a command or print data and ignored.

#include "simcommand.h"
#include "simfaults.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>

namespace Sim {

class SimPrinter : public QObject {
    Q_OBJECT
public:
    static constexpr int kCodeLength = 10;
    static constexpr int kNameLength = 50;
    static constexpr int kDefaultResetMs = 1000;
    static constexpr std::uint8_t kDefaultModelId = 0x35;

    explicit SimPrinter(QObject* parent = nullptr);

    void setModelId(std::uint8_t id) { modelId_ = id; }
    std::uint8_t modelId() const { return modelId_; }
    // Padded with 00h or cut to 10 bytes.
    void setIdentificationCode(const QByteArray& code);
    QByteArray identificationCode() const { return code_; }
    // Padded with 00h or cut to 50 bytes.
    void setModelName(const QByteArray& name);
    QByteArray modelName() const { return name_; }
    void setResetTimeMs(int ms) { resetMs_ = ms < 0 ? 0 : ms; }
    int resetTimeMs() const { return resetMs_; }

    void setFaults(const SimFaults& faults) { faults_ = faults; }
    const SimFaults& faults() const { return faults_; }
    SimFaults& faults() { return faults_; }

    // Milliseconds on the printer's clock; tests may replace the clock.
    qint64 nowMs() const;
    void setClock(std::function<qint64()> clock);

    // Takes bytes in order while the printer takes input; returns how many
    // it took. The rest is the transport's to hold and offer again.
    qint64 feed(QByteArrayView bytes);
    bool takingInput() const;
    // 0 when taking input now, the time left of a reset, nothing when it is
    // not known (offline or gone).
    std::optional<qint64> msUntilTaking() const;

    bool inUserSettingMode() const { return userSettingMode_; }
    bool resetting() const;
    // Software resets so far; a transport holding transmitted bytes inside
    // the printer (the parallel reverse channel) loses them at each.
    int softwareResets() const { return softwareResets_; }
    bool vanished() const { return vanished_; }
    // The ready line (DSR on a serial link): low while resetting or gone.
    bool readyLine() const;
    qint64 bytesTaken() const { return bytesTaken_; }

    // The transmitted bytes that are due by now.
    QByteArray takeReply();
    bool replyPending() const { return !replies_.empty(); }
    std::optional<qint64> msUntilReply() const;

    const std::deque<SimCommand>& commandLog() const { return log_; }
    void clearCommandLog() { log_.clear(); }

Q_SIGNALS:
    void commandReceived(const Sim::SimCommand& command);
    void replyQueued(const QByteArray& reply);
    void gone();

private:
    struct Reply {
        qint64 dueMs;
        QByteArray bytes;
    };

    void takeByte(std::uint8_t byte);
    void frameCommand();
    void execute(QByteArrayView command, SimCommand& entry);
    void executeQuery(std::uint8_t n, SimCommand& entry);
    void executeUserSetup(QByteArrayView command, SimCommand& entry);
    void storeField(QByteArrayView params, int length, QByteArray& field, SimCommand& entry);
    void transmit(QByteArray reply);
    void flushData();
    void record(SimCommand entry);
    SimCommand entryFor(QByteArrayView bytes, QString text) const;
    void vanish();

    std::uint8_t modelId_ = kDefaultModelId;
    QByteArray code_;
    QByteArray name_;
    int resetMs_ = kDefaultResetMs;
    SimFaults faults_;

    QElapsedTimer started_;
    std::function<qint64()> clock_;

    bool userSettingMode_ = false;
    qint64 resetEndsMs_ = -1;
    int softwareResets_ = 0;
    bool vanished_ = false;
    qint64 bytesTaken_ = 0;

    QByteArray pending_; // the command being received
    qint64 needed_ = 0;  // pending_ cannot be framed before this length
    qint64 skipRemaining_ = 0;
    QByteArray data_; // print data since the last command
    std::deque<Reply> replies_;
    std::deque<SimCommand> log_;
};

} // namespace Sim

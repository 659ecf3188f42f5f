// Many "Set S/No." in a row (120 in the suite) through the real main window, over the
// virtual COM link to the simulated printer, each with a fault drawn at
// random: silence, late answers, garbage, another model, short and long
// replies, a printer that vanishes before, during or after the operation.
// Pauses are shortened. Whatever happens, the program must not crash or
// hang, must report every failure in a message box, and the code must
// advance exactly once per code the printer really stored: no code skipped,
// none written twice.
//
// The random sequence comes from a fixed seed, printed at the start; set
// ZENTAB_SOAK_SEED to replay another one, and ZENTAB_SOAK_COUNT for a longer
// run than the suite's.
#include "identificationfixture.h"

#include "ptyprinter.h"

#include <QElapsedTimer>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <random>
#include <thread>

using namespace Common;

namespace {

constexpr int kDefaultOperations = 120;
constexpr int kWaitScalePercent = 2;
constexpr std::uint32_t kDefaultSeed = 20261206;
constexpr std::uint8_t kModelId = 0x35;
// No operation may take longer than this, however loaded the machine.
constexpr std::chrono::seconds kHangLimit{60};

enum class Fault {
    None,
    Silence,
    LateAnswer,
    Garbage,
    OtherModel,
    ShortReply,
    LongReply,
    GoneBeforeQuery,   // vanishes on or before the model query
    PulledAfterAnswer, // unplugged between the answer and the write
    GoneAfterWrite,    // vanishes once the code is stored
    // Vanishing part-way through the write is left out: the terminal has
    // taken the whole block by then, so no program could tell without
    // reading the code back.
    StillGone, // no device behind COM16 at all
};

const char* Name(Fault f)
{
    switch (f) {
    case Fault::None:
        return "none";
    case Fault::Silence:
        return "silence";
    case Fault::LateAnswer:
        return "late answer";
    case Fault::Garbage:
        return "garbage";
    case Fault::OtherModel:
        return "another model";
    case Fault::ShortReply:
        return "short reply";
    case Fault::LongReply:
        return "long reply";
    case Fault::GoneBeforeQuery:
        return "gone before the query";
    case Fault::PulledAfterAnswer:
        return "pulled after the answer";
    case Fault::GoneAfterWrite:
        return "gone after the write";
    case Fault::StillGone:
        return "still gone";
    }
    return "?";
}

// Faults after which nothing can be written. A late answer of the operation
// before may still arrive and confirm the printer, so the rule holds only
// when the one before had no late answer.
bool MustFail(Fault f)
{
    return f != Fault::None && f != Fault::LateAnswer && f != Fault::GoneAfterWrite;
}

QString CodeNumbered(int n)
{
    return QStringLiteral("Printer%1").arg(n, 3, 10, QLatin1Char('0'));
}

// Ends the process when the test stops making progress: a hang inside an
// operation cannot be caught from the window thread that hangs.
class Watchdog {
public:
    explicit Watchdog(std::uint32_t seed) : seed_(seed), thread_([this] { watch(); }) {}
    ~Watchdog()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }
    void progress(int operation) { operation_ = operation; }

private:
    void watch()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        int seen = -1;
        while (!done_) {
            if (wake_.wait_for(lock, kHangLimit, [this] { return done_; }))
                return;
            if (operation_ == seen) {
                std::fprintf(stderr, "soak: operation %d hangs (seed %u)\n", seen, seed_);
                std::abort();
            }
            seen = operation_;
        }
    }

    const std::uint32_t seed_;
    std::atomic<int> operation_{-1};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::thread thread_;
};

} // namespace

class TestSoak : public QObject {
    Q_OBJECT

    std::unique_ptr<E2E::Fixture> fx_;
    std::unique_ptr<Sim::PtyPrinter> pty_;
    std::mt19937 rng_;
    QStringList stored_;       // the codes the printers stored, in order
    QStringList reported_;     // the codes the program wrote without a message
    bool pullOnReply_ = false; // unplug the printer once it has answered
    int window_ = 0;           // the scaled wait for the model answer, ms

    int draw(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }

    bool devicePresent() const { return pty_ && pty_->isOpen() && !fx_->printer->vanished(); }

    // A printer plugged in: a fresh simulated printer behind a new terminal,
    // linked as COM16.
    void plugIn()
    {
        fx_->newPrinter(kModelId);
        fx_->printer->setResetTimeMs(2000 * kWaitScalePercent / 100 / 4);
        Sim::SimPrinter* printer = fx_->printer.get();
        connect(printer, &Sim::SimPrinter::commandReceived, this, [this](const Sim::SimCommand& c) {
            if (c.note == QLatin1String("stored") && c.bytes.size() == 16 &&
                static_cast<std::uint8_t>(c.bytes.at(5)) == 0xF0)
                stored_ << QString::fromLatin1(c.bytes.mid(6, 10));
        });
        connect(printer, &Sim::SimPrinter::replyQueued, this, [this] {
            if (!pullOnReply_)
                return;
            pullOnReply_ = false;
            // Once the answer is on its way, not from inside the terminal's
            // own handler.
            QTimer::singleShot(0, this, [this] {
                if (pty_)
                    pty_->close();
            });
        });
        pty_ = std::make_unique<Sim::PtyPrinter>(fx_->printer);
        QVERIFY2(pty_->open(), qPrintable(pty_->errorString()));
        QVERIFY(pty_->linkInto(fx_->dataDir.path(), QStringLiteral("COM16")));
    }

    // A vanished device leaves no node behind: its COM16 goes too.
    void unplug()
    {
        pty_.reset();
        QFile::remove(fx_->dataDir.filePath(QStringLiteral("COM16")));
    }

    Fault drawFault()
    {
        if (!devicePresent())
            return Fault::StillGone;
        if (draw(0, 99) < 45)
            return Fault::None;
        return static_cast<Fault>(draw(int(Fault::Silence), int(Fault::GoneAfterWrite)));
    }

    void arm(Fault fault)
    {
        Sim::SimFaults& f = fx_->printer->faults();
        const qint64 taken = fx_->printer->bytesTaken();
        switch (fault) {
        case Fault::Silence:
            f.silent = true;
            break;
        case Fault::LateAnswer: // on either side of the wait
            f.replyDelayMs = draw(0, 3 * window_);
            break;
        case Fault::Garbage:
            f.garbageReplies = true;
            break;
        case Fault::OtherModel:
            f.otherModelId = static_cast<std::uint8_t>(kModelId + draw(1, 200));
            break;
        case Fault::ShortReply:
            f.replyLengthChange = -draw(1, 3);
            break;
        case Fault::LongReply:
            f.replyLengthChange = draw(1, 12);
            break;
        case Fault::GoneBeforeQuery:
            f.vanishAfterBytes = taken + draw(0, 3);
            break;
        case Fault::PulledAfterAnswer:
            pullOnReply_ = true;
            break;
        case Fault::GoneAfterWrite: // the code is stored with the 24th byte of the write
            f.vanishAfterBytes = taken + 3 + draw(24, 33);
            break;
        case Fault::None:
        case Fault::StillGone:
            break;
        }
    }

    void disarm()
    {
        pullOnReply_ = false;
        if (fx_->printer)
            fx_->printer->faults() = Sim::SimFaults{};
    }

    // One "Set S/No." and what it must have left behind.
    void runOne(int i, Fault fault, Fault previous)
    {
        FrmMain& form = *fx_->form;
        const QString context = QStringLiteral("operation %1, fault \"%2\"")
                                    .arg(i)
                                    .arg(QString::fromLatin1(Name(fault)));
        const QString before = form.TxtSNo->text();
        const qsizetype storedBefore = stored_.size();
        const qsizetype messagesBefore = fx_->seams.messages().all().size();

        QVERIFY2(form.CmdSetSNo->isEnabled(), qPrintable(context));
        QTest::mouseClick(form.CmdSetSNo, Qt::LeftButton);

        QVERIFY2(form.isEnabled(), qPrintable(context));
        QVERIFY2(CurrentPointer() == Pointer::Default, qPrintable(context));
        const QStringList shown = fx_->titles().mid(messagesBefore);
        const bool failed = !shown.isEmpty();
        QCOMPARE(ErrorFlag, failed);
        if (failed) {
            // One message, and it says which step failed.
            QVERIFY2(shown.size() == 1,
                     qPrintable(context + QLatin1String(": ") + shown.join(QLatin1String("; "))));
            QVERIFY2(shown.front() == E2E::PrinterNotConfirmed ||
                         shown.front() == E2E::RegistrationFailed,
                     qPrintable(context + QLatin1String(": ") + shown.front()));
            QVERIFY2(stored_.size() == storedBefore,
                     qPrintable(context + QLatin1String(": stored although reported failed")));
            QVERIFY2(form.TxtSNo->text() == before,
                     qPrintable(context + QLatin1String(": advanced after a failure")));
        } else {
            reported_ << before;
            QVERIFY2(stored_.size() == storedBefore + 1 && stored_.back() == before,
                     qPrintable(context + QLatin1String(": reported written, printer holds \"") +
                                stored_.mid(storedBefore).join(QLatin1Char(',')) + u'"'));
            QVERIFY2(!(MustFail(fault) && previous != Fault::LateAnswer),
                     qPrintable(context + QLatin1String(": no failure reported")));
            QVERIFY2(form.TxtSNo->text() == CodeNumbered(int(reported_.size()) + 1),
                     qPrintable(context + QLatin1String(": shows ") + form.TxtSNo->text()));
        }
    }

private Q_SLOTS:
    void manyWritesUnderRandomFaults();
};

void TestSoak::manyWritesUnderRandomFaults()
{
    const int operations = qEnvironmentVariableIntValue("ZENTAB_SOAK_COUNT") > 0
                               ? qEnvironmentVariableIntValue("ZENTAB_SOAK_COUNT")
                               : kDefaultOperations;
    const QByteArray seedText = qgetenv("ZENTAB_SOAK_SEED");
    const std::uint32_t seed = seedText.isEmpty() ? kDefaultSeed : seedText.toUInt();
    std::printf("soak: seed %u (replay with ZENTAB_SOAK_SEED=%u)\n", seed, seed);
    std::fflush(stdout);
    rng_.seed(seed);

    fx_ = std::make_unique<E2E::Fixture>();
    SetWaitScaleForTests(kWaitScalePercent);
    window_ = 200 * kWaitScalePercent / 100;
    plugIn();
    E2E::Link link;
    link.comPort = 16;
    link.iniLines = "Interface = VirtualCOM\r\nCOMPort =  16\r\n";
    fx_->start(link, QStringLiteral("ZX-P700"));

    Watchdog watchdog(seed);
    QElapsedTimer clock;
    clock.start();
    std::map<Fault, std::pair<int, int>> tally; // fault -> (written, failed)
    Fault previous = Fault::None;
    int run = 0;
    for (; run < operations && !QTest::currentTestFailed(); ++run) {
        watchdog.progress(run);
        // A printer that vanished comes back, sometimes only after an
        // operation has found it missing.
        if (!devicePresent()) {
            unplug();
            if (draw(0, 2) > 0)
                plugIn();
        }
        const Fault fault = drawFault();
        arm(fault);
        const qsizetype written = reported_.size();
        runOne(run, fault, previous);
        disarm();
        (reported_.size() > written ? tally[fault].first : tally[fault].second)++;
        previous = fault;
    }
    const qint64 ms = clock.elapsed();
    std::printf("soak: %d operations in %lld ms, %lld written, %lld codes stored\n", run,
                static_cast<long long>(ms), static_cast<long long>(reported_.size()),
                static_cast<long long>(stored_.size()));
    for (const auto& [fault, counts] : tally)
        std::printf("soak:   %-24s %4d written %4d failed\n", Name(fault), counts.first,
                    counts.second);
    std::fflush(stdout);

    SetWaitScaleForTests(100);
    unplug();
    fx_->stop();
    fx_.reset();
    if (QTest::currentTestFailed())
        return;

    // Every code written exactly once, in order, none left out.
    QCOMPARE(stored_, reported_);
    for (qsizetype k = 0; k < reported_.size(); ++k)
        QCOMPARE(reported_.at(k), CodeNumbered(int(k) + 1));
    // The run must have written a fair share, or it proved little.
    QVERIFY2(reported_.size() >= operations / 5, qPrintable(QString::number(reported_.size())));
}

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"

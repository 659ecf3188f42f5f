// zentab-printer-sim: a simulated receipt printer on a pseudo-terminal, for
// trying Zentab's virtual COM link without a printer. It prints the
// terminal's path, can link it into a data folder under a port name, and
// logs every command it receives, one line each.

#include "common/termsignals.h"
#include "ptyprinter.h"
#include "simoptions.h"
#include "simprinter.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <cstdio>
#include <memory>

namespace {

// The log goes to a file (appended) or to standard output, a line at a time.
class LogSink {
public:
    bool open(const QString& fileName)
    {
        if (fileName.isEmpty())
            return file_.open(stdout, QIODevice::WriteOnly | QIODevice::Text);
        file_.setFileName(fileName);
        return file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
    }
    QString errorString() const { return file_.errorString(); }
    void write(const QString& line)
    {
        file_.write(line.toUtf8() + '\n');
        file_.flush();
    }

private:
    QFile file_;
};

void Say(const QString& line)
{
    std::fprintf(stdout, "%s\n", qPrintable(line));
    std::fflush(stdout);
}

void Complain(const QString& line)
{
    std::fprintf(stderr, "zentab-printer-sim: %s\n", qPrintable(line));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zentab-printer-sim"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A simulated receipt printer on a pseudo-terminal. Prints the terminal's path on the "
        "first line, then one line per command received."));
    parser.addHelpOption();
    Sim::AddSimOptions(parser);
    parser.process(app);

    QString error;
    const std::optional<Sim::SimOptions> options = Sim::ReadSimOptions(parser, &error);
    if (!options) {
        Complain(error);
        return 2;
    }
    auto printer = std::make_shared<Sim::SimPrinter>();
    Sim::ApplySimOptions(*options, *printer);

    LogSink log;
    if (!log.open(options->logFile)) {
        Complain(
            QStringLiteral("cannot open the log %1: %2").arg(options->logFile, log.errorString()));
        return 1;
    }
    Sim::PtyPrinter pty(printer);
    if (!pty.open()) {
        Complain(pty.errorString());
        return 1;
    }
    Say(pty.slavePath());
    if (!options->linkDir.isEmpty()) {
        if (!pty.linkInto(options->linkDir, options->portName)) {
            Complain(pty.errorString());
            return 1;
        }
        Say(QStringLiteral("linked %1").arg(pty.linkPath()));
    }

    QObject::connect(printer.get(), &Sim::SimPrinter::commandReceived,
                     [&log](const Sim::SimCommand& c) { log.write(Sim::FormatLogLine(c)); });
    QObject::connect(printer.get(), &Sim::SimPrinter::replyQueued, [&log](const QByteArray& r) {
        log.write(Sim::FormatReplyLine(QTime::currentTime(), r));
    });
    QObject::connect(&pty, &Sim::PtyPrinter::vanished, [&log] {
        log.write(QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz")) +
                  QStringLiteral(" printer vanished"));
    });

    // Ends through the event loop, so the link is removed on the way out.
    Common::TerminationSignals quit;
    if (!quit.isActive())
        Complain(QStringLiteral("cannot catch SIGINT/SIGTERM; the link may stay behind"));
    QObject::connect(&quit, &Common::TerminationSignals::received, &app, &QCoreApplication::quit);
    return app.exec();
}

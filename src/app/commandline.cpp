// The command line: --help, --version and --print-record answered on the
// terminal.
#include "app/commandline.h"

#include "record/csv.h"
#include "record/recordstore.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <cstdio>

namespace {

// QApplication takes its own options (-platform, -style and the like) out of
// the arguments itself; they are known here too, so that they are not
// refused, but left out of the help.
void AddToolkitOptions(QCommandLineParser& parser)
{
    static const char* const withValue[] = {
        "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
        "qwindowicon", "qwindowtitle", "session", "qmljsdebugger",
        // X11
        "display", "geometry", "title", "icon", "name", "visual",
        // widgets
        "style", "stylesheet"};
    static const char* const flags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};
    for (const char* name : withValue) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setValueName(QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : flags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

// The record of the data folder (the current folder), newest entry first, as
// CSV on standard output.
CommandLine PrintRecord()
{
    const Record::RecordSettings settings = Record::ReadRecordSettings(QDir::currentPath());
    if (settings.store == Record::StoreKind::Off) {
        std::fputs("zentab: the record is switched off here\n", stderr);
        return CommandLine::Failed;
    }
    Record::RecordStore store(settings);
    const auto rows = store.latest(0);
    if (const auto* error = std::get_if<Record::StoreError>(&rows)) {
        std::fprintf(stderr, "zentab: %s\n", qUtf8Printable(error->text()));
        return CommandLine::Failed;
    }
    for (const QStringList& row : std::get<QList<QStringList>>(rows))
        std::fputs(qUtf8Printable(Record::CsvLine(row)), stdout);
    return CommandLine::Answered;
}

} // namespace

// --help and --version are answered on the terminal, before anything needs a
// window system: they work without a display.
CommandLine HandleCommandLine(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QCommandLineParser parser;
    // Qt's own options are single-dash words ("-style fusion").
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Identifies receipt printers: writes identification codes and model names\n"
                       "into them and reads them back. The current folder is the data folder:\n"
                       "Zentab.ini, Models.Dat and the record are kept there."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help and exits."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays the version and exits."));
    const QCommandLineOption printRecord(
        QStringLiteral("print-record"),
        QStringLiteral("Prints the record's entries as CSV, newest first, and exits."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(printRecord);
    AddToolkitOptions(parser);

    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "zentab: %s\nTry 'zentab --help' for more information.\n",
                     qUtf8Printable(parser.errorText()));
        return CommandLine::Refused;
    }
    if (parser.isSet(help)) {
        // The usage line names the program as it was started, which the help
        // text takes from an application object; one without a window system.
        QCoreApplication core(argc, argv);
        std::fputs(qUtf8Printable(parser.helpText()), stdout);
        return CommandLine::Answered;
    }
    if (parser.isSet(version)) {
        std::printf("%s %s\n", qUtf8Printable(QCoreApplication::applicationName()),
                    qUtf8Printable(QCoreApplication::applicationVersion()));
        return CommandLine::Answered;
    }
    if (parser.isSet(printRecord)) {
        // Qt SQL finds its drivers through an application object.
        QCoreApplication core(argc, argv);
        return PrintRecord();
    }
    return CommandLine::Run;
}

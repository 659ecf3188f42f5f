#include "simoptions.h"

#include "simprinter.h"

#include <QCommandLineParser>

namespace Sim {

namespace {

struct OptionText {
    const char* name;
    const char* value; // nullptr for a switch
    const char* help;
};

const OptionText kOptions[] = {
    {"link-dir", "folder", "Link the pseudo-terminal into this data folder."},
    {"name", "port", "Port name of the link in the data folder (default COM16)."},
    {"model", "id", "Model identifier byte answered to GS I 1, e.g. 0x51 (default 0x35)."},
    {"code", "text", "Stored identification code, up to 10 characters (default ten 00h bytes)."},
    {"model-name", "text", "Stored model name, up to 50 characters (default ZX-P700)."},
    {"reset-ms", "ms", "Time the printer takes no input after OUT (default 1000)."},
    {"log", "file", "Append the command log to this file instead of standard output."},
    {"silent", nullptr, "Fault: never answer."},
    {"delay", "ms", "Fault: answer this many milliseconds late."},
    {"other-model", "id", "Fault: answer GS I 1 with this identifier."},
    {"garbage", nullptr, "Fault: answer every command with noise."},
    {"short", "n", "Fault: cut n bytes off every reply."},
    {"long", "n", "Fault: add n bytes to every reply."},
    {"offline", nullptr, "Fault: take no bytes at all."},
    {"vanish-after", "n", "Fault: disappear after taking n bytes."},
};

std::optional<int> ParseCount(const QString& text, int max)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 0 || value > max)
        return std::nullopt;
    return value;
}

// Reads one option's value with parse; false with *error when it is bad.
template <typename T, typename Parse>
bool ReadValue(const QCommandLineParser& parser, const QString& name, Parse parse, T& into,
               QString* error)
{
    if (!parser.isSet(name))
        return true;
    const auto value = parse(parser.value(name));
    if (!value) {
        *error = QStringLiteral("bad value for --%1: %2").arg(name, parser.value(name));
        return false;
    }
    into = *value;
    return true;
}

std::optional<QByteArray> ParseText(const QString& text, int max)
{
    const QByteArray bytes = text.toLatin1();
    if (bytes.size() > max || QString::fromLatin1(bytes) != text)
        return std::nullopt;
    return bytes;
}

bool ReadFaults(const QCommandLineParser& parser, SimFaults& faults, QString* error)
{
    constexpr int kMaxMs = 600000;
    constexpr int kMaxBytes = 1000;
    faults.silent = parser.isSet(QStringLiteral("silent"));
    faults.garbageReplies = parser.isSet(QStringLiteral("garbage"));
    faults.stopsTaking = parser.isSet(QStringLiteral("offline"));
    int shorter = 0;
    int longer = 0;
    std::uint8_t other = 0;
    std::int64_t vanish = 0;
    const auto count = [](int max) {
        return [max](const QString& t) { return ParseCount(t, max); };
    };
    if (!ReadValue(parser, QStringLiteral("delay"), count(kMaxMs), faults.replyDelayMs, error) ||
        !ReadValue(parser, QStringLiteral("short"), count(kMaxBytes), shorter, error) ||
        !ReadValue(parser, QStringLiteral("long"), count(kMaxBytes), longer, error) ||
        !ReadValue(parser, QStringLiteral("other-model"), ParseByte, other, error) ||
        !ReadValue(parser, QStringLiteral("vanish-after"), count(1 << 30), vanish, error))
        return false;
    faults.replyLengthChange = longer - shorter;
    if (parser.isSet(QStringLiteral("other-model")))
        faults.otherModelId = other;
    if (parser.isSet(QStringLiteral("vanish-after")))
        faults.vanishAfterBytes = vanish;
    return true;
}

} // namespace

std::optional<std::uint8_t> ParseByte(const QString& text)
{
    bool ok = false;
    uint value = 0;
    if (text.endsWith(QLatin1Char('h'), Qt::CaseInsensitive))
        value = text.chopped(1).toUInt(&ok, 16);
    else if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        value = text.mid(2).toUInt(&ok, 16);
    else
        value = text.toUInt(&ok, 10);
    if (!ok || value > 0xFF)
        return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

void AddSimOptions(QCommandLineParser& parser)
{
    for (const OptionText& o : kOptions) {
        const QString name = QString::fromLatin1(o.name);
        const QString help = QString::fromLatin1(o.help);
        if (o.value)
            parser.addOption(QCommandLineOption(name, help, QString::fromLatin1(o.value)));
        else
            parser.addOption(QCommandLineOption(name, help));
    }
}

std::optional<SimOptions> ReadSimOptions(const QCommandLineParser& parser, QString* error)
{
    SimOptions options;
    options.linkDir = parser.value(QStringLiteral("link-dir"));
    options.logFile = parser.value(QStringLiteral("log"));
    if (parser.isSet(QStringLiteral("name")))
        options.portName = parser.value(QStringLiteral("name"));
    if (options.portName.isEmpty() || options.portName.contains(QLatin1Char('/'))) {
        *error = QStringLiteral("bad value for --name: %1").arg(options.portName);
        return std::nullopt;
    }
    const auto code = [](const QString& t) { return ParseText(t, SimPrinter::kCodeLength); };
    const auto name = [](const QString& t) { return ParseText(t, SimPrinter::kNameLength); };
    const auto ms = [](const QString& t) { return ParseCount(t, 600000); };
    if (!ReadValue(parser, QStringLiteral("model"), ParseByte, options.modelId, error) ||
        !ReadValue(parser, QStringLiteral("code"), code, options.code, error) ||
        !ReadValue(parser, QStringLiteral("model-name"), name, options.modelName, error) ||
        !ReadValue(parser, QStringLiteral("reset-ms"), ms, options.resetMs, error) ||
        !ReadFaults(parser, options.faults, error))
        return std::nullopt;
    return options;
}

void ApplySimOptions(const SimOptions& options, SimPrinter& printer)
{
    printer.setModelId(options.modelId);
    printer.setIdentificationCode(options.code);
    printer.setModelName(options.modelName);
    printer.setResetTimeMs(options.resetMs);
    printer.setFaults(options.faults);
}

} // namespace Sim

// Any bytes as a printer's reply to the identification queries. The first
// byte is taken as the selected model's identifier, the rest as what arrived
// on the link. The reply goes the way ReceiveData hands it on (hexadecimal
// text), and the raw bytes also go in as text, since the helpers take any
// text and must not trust it.
#include "fuzzcheck.h"

#include "link/hexcommand.h"
#include "protocol/commands.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

bool IsUpperHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F');
}

// What the operator may see: printable ASCII, and '?' for every other byte.
bool IsShowable(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return false;
    return true;
}

QChar Shown(char byte)
{
    const auto b = static_cast<std::uint8_t>(byte);
    return (b >= 0x20 && b <= 0x7E) ? QChar(b) : QChar(u'?');
}

// The reply as ReceiveData gives it: two upper-case digits per byte.
void CheckHexReply(const QByteArray& bytes, std::uint8_t modelId)
{
    const QString hex = Common::BytesToHex(bytes);
    FUZZ_CHECK(hex.size() == 2 * bytes.size());
    for (QChar c : hex)
        FUZZ_CHECK(IsUpperHexDigit(c));
    FUZZ_CHECK(Common::HexToBytes(hex) == bytes);

    const QString text = Common::HexToText(hex);
    FUZZ_CHECK(text.size() == bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        FUZZ_CHECK(text.at(i) == Shown(bytes.at(i)));

    FUZZ_CHECK(Common::IsModelIdReply(hex, modelId) ==
               (bytes.size() == 1 && static_cast<std::uint8_t>(bytes.at(0)) == modelId));

    // GS I 44h: header, ten code bytes, terminator; nothing else is taken.
    const std::optional<QString> code = Common::SerialNoFromReply(hex);
    FUZZ_CHECK(code.has_value() == (bytes.size() == 12));
    if (code) {
        FUZZ_CHECK(code->size() == 10);
        FUZZ_CHECK(*code == text.mid(1, 10));
    }

    // GS I 43h: more than five bytes ending in 00h; header and end cut off.
    const std::optional<QString> name = Common::ModelNameFromReply(hex);
    FUZZ_CHECK(name.has_value() == (bytes.size() > 5 && bytes.endsWith('\0')));
    if (name) {
        FUZZ_CHECK(name->size() == bytes.size() - 2);
        FUZZ_CHECK(*name == text.mid(1, bytes.size() - 2));
    }
}

// Any text at all, as if a reply had been mangled before the checks.
void CheckAnyText(const QString& text)
{
    const qsizetype pairs = text.size() / 2;
    FUZZ_CHECK(Common::HexToBytes(text).size() == pairs);
    const QString shown = Common::HexToText(text);
    FUZZ_CHECK(shown.size() == pairs);
    FUZZ_CHECK(IsShowable(shown));
    if (text.size() >= 2 && Common::IsModelIdReply(text, Common::ReadHexPair(text, 0)))
        FUZZ_CHECK(text.size() == 2);

    if (const std::optional<QString> code = Common::SerialNoFromReply(text)) {
        FUZZ_CHECK(text.size() == 24);
        FUZZ_CHECK(code->size() == 10 && IsShowable(*code));
    }
    if (const std::optional<QString> name = Common::ModelNameFromReply(text)) {
        FUZZ_CHECK(text.size() > 10);
        FUZZ_CHECK(name->size() == (text.size() - 4) / 2 && IsShowable(*name));
    }

    // Whatever was typed, the command text carries two digits per character.
    const QString hex = Common::TextToHex(text);
    FUZZ_CHECK(hex.size() == 2 * text.size());
    for (QChar c : hex)
        FUZZ_CHECK(IsUpperHexDigit(c));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t modelId = data[0]; // the selected model's identifier
    const QByteArray reply(reinterpret_cast<const char*>(data + 1),
                           static_cast<qsizetype>(size - 1));

    CheckHexReply(reply, modelId);
    CheckAnyText(QString::fromLatin1(reply));
    // Characters beyond Latin-1 as well, two bytes each.
    QString wide(reply.size() / 2, Qt::Uninitialized);
    std::memcpy(wide.data(), reply.constData(), static_cast<std::size_t>(wide.size()) * 2);
    CheckAnyText(wide);
    return 0;
}

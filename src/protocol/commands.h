#pragma once
// The printer commands of the identification, as hexadecimal command text.

#include <QString>
#include <optional>

namespace Common {

// GS I 1: the printer answers with one byte, its model identifier.
inline const QString QueryModelId = QStringLiteral("1D4901");
// GS I 44h: 5Fh, the ten code bytes, 00h.
inline const QString QuerySerialNo = QStringLiteral("1D4944");
// GS I 43h: 5Fh, the model name, 00h.
inline const QString QueryModelName = QStringLiteral("1D4943");
// GS ( E pL=3 pH=0 fn=1 "IN": enter the user setting mode.
inline const QString EnterUserSetting = QStringLiteral("1D2845030001494E");
// GS ( E pL=11 pH=0 fn=F0h: the identification code, ten bytes follow.
inline const QString StoreSerialNo = QStringLiteral("1D28450B00F0");
// GS ( E pL=51 pH=0 fn=E8h: the model name, fifty bytes follow.
inline const QString StoreModelName = QStringLiteral("1D28453300E8");
// GS ( E pL=4 pH=0 fn=2 "OUT": end the user setting mode (the printer resets).
inline const QString ExitUserSetting = QStringLiteral("1D28450400024F5554");

constexpr int ModelNameFieldBytes = 50;

// The one transmission that stores an identification code: 33 bytes for a
// ten-character code.
QString SerialNoTransmission(const QString& code);
// The one transmission that stores a model name: 73 bytes, the name cut or
// padded with 00h to fifty bytes.
QString ModelNameTransmission(const QString& name);

// The code shown for a GS I 44h reply: exactly twelve bytes, of which bytes
// 2 to 11 are the code. Anything else is not an identification reply.
std::optional<QString> SerialNoFromReply(const QString& reply);
// The name shown for a GS I 43h reply: more than five bytes ending in 00h,
// without its first and last byte.
std::optional<QString> ModelNameFromReply(const QString& reply);

} // namespace Common

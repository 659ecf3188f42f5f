#pragma once
// Commands and replies as text of hexadecimal digit pairs, one pair per byte.

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace Common {

// Reads the pair at index i (0-based character position): hexadecimal from the
// left, stopping at the first non-digit; a pair not starting with a digit is 0.
std::uint8_t ReadHexPair(const QString& text, int i);

// The bytes of a command text: one per complete pair, a trailing digit ignored.
QByteArray HexToBytes(const QString& text);
// Two upper-case digits per byte.
QString BytesToHex(const QByteArray& bytes);
QString ByteToHex(std::uint8_t byte);

// Each character's single-byte code as two digits. Characters outside
// Latin-1 cannot be typed into the text boxes; should one arrive anyway it is
// written as "3F" ('?'), so the output is always two digits per character.
QString TextToHex(const QString& text);
// Each complete pair as a character; bytes outside 20h..7Eh become '?'.
QString HexToText(const QString& hex);
// True when the reply is exactly one pair whose value is modelId.
bool IsModelIdReply(const QString& reply, std::uint8_t modelId);

} // namespace Common

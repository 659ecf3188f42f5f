#pragma once
// The identification code field: the current code (AppSettings.SerialNo)
// with its embedded decimal number, the automatic advance after a write, and
// the history that "Back" steps through.

#include <QString>
#include <array>
#include <cstdint>

namespace Common {

enum SerialNumberMode : std::uint8_t {
    SNoRefresh = 0, // show the code with StartNum as its number
    SNoAdvance = 1, // raise the number by one (after a write, "Inc.")
    SNoRestore = 2, // show a code taken back from the history
};

constexpr int SerialHistorySlots = 11;
// Earlier codes, oldest first, in slots 0 to HistoryCount - 1 (at most 10).
extern std::array<QString, SerialHistorySlots> SerialHistory;

// Rewrites the number part of SerialNo for the mode and shows the code. True
// when the number was advanced.
bool UpdateSerialNumber(std::uint8_t mode);

// The number in the len characters of code from column col (1-based): leading
// blanks skipped, decimal digits up to the first other character, 0 if none.
std::int32_t ReadNumberPart(const QString& code, int col, int len);
// code with the len characters from column col replaced by n's last len
// digits, zero-filled. The length of code never changes: digits that would
// fall past its end are left out, and so are digits before its start.
QString WithNumberPart(const QString& code, int col, int len, std::int32_t n);

} // namespace Common

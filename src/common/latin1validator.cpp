#include "common/latin1validator.h"

#include <algorithm>

namespace Common {

Latin1Validator::Latin1Validator(QObject* parent) : QValidator(parent) {}

QValidator::State Latin1Validator::validate(QString& input, int& /*pos*/) const
{
    const bool latin1 =
        std::all_of(input.cbegin(), input.cend(), [](QChar c) { return c.unicode() <= 0xFF; });
    return latin1 ? Acceptable : Invalid;
}

} // namespace Common

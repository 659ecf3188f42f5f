#pragma once
// Refuses any character outside the single-byte (Latin-1) set, so what the
// operator types can always be sent to the printer one byte per character.

#include <QValidator>

namespace Common {

class Latin1Validator : public QValidator {
    Q_OBJECT
public:
    explicit Latin1Validator(QObject* parent = nullptr);
    State validate(QString& input, int& pos) const override;
};

} // namespace Common

#include "common/textbox.h"

#include <QLineEdit>
#include <algorithm>

namespace Common {

void SetBoxText(QLineEdit* box, const QString& text, int typingLimit)
{
    box->setMaxLength(std::max(typingLimit, int(text.size())));
    if (box->text() == text)
        Q_EMIT box->textChanged(text);
    else
        box->setText(text);
}

} // namespace Common

#pragma once
// The version dialog's three pictures, drawn rather than shipped as images so
// that they stay sharp and need no files.

#include <QPixmap>

namespace Common {

// A receipt printer issuing a slip.
QPixmap DrawPrinterLogo(int size);
// An identification tag with a bar code.
QPixmap DrawTagLogo(int size);
// The program's mark: a Z in a ring.
QPixmap DrawMarkLogo(int size);

} // namespace Common

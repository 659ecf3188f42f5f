#include "app/frmmain.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zentab"));
    // Ties the windows to the installed desktop entry and its icon (the
    // Wayland app id; on X11 the entry names the window class instead).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zentab.Zentab"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.zentab.Zentab")));
    return RunZentab(app);
}

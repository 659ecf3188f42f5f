#include "app/commandline.h"
#include "app/frmmain.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("zentab"));
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                                .arg(ZENTAB_VERSION_MAJOR)
                                                .arg(ZENTAB_VERSION_MINOR)
                                                .arg(ZENTAB_VERSION_PATCH));
    switch (HandleCommandLine(argc, argv)) {
    case CommandLine::Answered:
        return 0;
    case CommandLine::Refused:
        return 2;
    case CommandLine::Failed:
        return 1;
    case CommandLine::Run:
        break;
    }

    QApplication app(argc, argv);
    // Ties the windows to the installed desktop entry and its icon (the
    // Wayland app id; on X11 the entry names the window class instead).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zentab.Zentab"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.zentab.Zentab")));
    return RunZentab(app);
}

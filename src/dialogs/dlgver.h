#pragma once
// The version dialog. At start-up it is the splash screen whose one-shot
// timer TmrTitle runs the whole start-up loading (settings file, then model
// data file) and closes it; from the Help menu it is a plain version dialog
// with a Close button. SplashMode at its load decides which.

#include "settings/datafile.h"

#include <QDialog>
#include <QString>
#include <QTimer>
#include <functional>

class QLabel;
class QPushButton;

class DlgVer : public QDialog {
    Q_OBJECT
public:
    explicit DlgVer(QWidget* parent = nullptr);

    QLabel* LblTitle = nullptr;
    QLabel* LblTitle2 = nullptr;
    QLabel* LblVersion = nullptr;
    QLabel* LblRevDate = nullptr;
    QLabel* LblCopyright = nullptr;
    QLabel* LblInit = nullptr;
    QLabel* ImgLogo = nullptr;
    QLabel* ImgLogo2 = nullptr;
    QLabel* ImgLogo3 = nullptr;
    QPushButton* CmdClose = nullptr;
    QTimer TmrTitle;

    void Form_Load();
    void CmdClose_Click();
    void TmrTitle_Timer();

    // " Version " + major in hexadecimal + "." + minor and revision as two
    // decimal digits each + " ".
    static QString VersionText(int major, int minor, int revision);
    static QString LegalNotice();

    // Interval of TmrTitle: the start-up loading begins this long after the
    // splash has appeared.
    static constexpr int TitleDelayMs = 1500;

protected:
    // The splash cannot be dismissed: closing it early would skip the
    // start-up loading and leave the program in its error state.
    void reject() override;

private:
    void createControls();
    Common::LoadResult LoadStartupFiles();
    void ShowFirstStartNotice();
    void ShowProgress(const QString& text, int waitMs);

    bool splash_ = false;
};

namespace Common {

// Shows DlgVer modally as the start-up splash (SplashMode is True): it runs
// the start-up loading and closes itself, leaving ErrorFlag False only if the
// loading completed.
void ShowStartupSplash(QWidget* parent);

// Test hook: runs instead of the splash (nullptr restores the splash), for
// tests of the main window that set up the loaded state themselves.
void SetStartupSplashForTests(std::function<void()> replacement);

} // namespace Common

#include "dialogs/dlgver.h"

#include "common/appsettings.h"
#include "common/msgbox.h"
#include "common/pointer.h"
#include "common/waitms.h"
#include "dialogs/dlgnote.h"
#include "dialogs/logoart.h"
#include "settings/modeldata.h"
#include "settings/settingsfile.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Common;

namespace {

constexpr int LogoSize = 56;

QLabel* MakeLogo(const QPixmap& pixmap, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setPixmap(pixmap);
    return label;
}

QLabel* MakeLabel(const QString& text, QWidget* parent, int pointSize = 0, bool bold = false)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    QFont font = label->font();
    if (pointSize > 0)
        font.setPointSize(pointSize);
    font.setBold(bold);
    label->setFont(font);
    return label;
}

// The last two digits of a number, with a leading zero.
QString TwoDigits(int number)
{
    return QStringLiteral("%1").arg(number % 100, 2, 10, QLatin1Char('0'));
}

} // namespace

DlgVer::DlgVer(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Version Information"));
    createControls();
    TmrTitle.setSingleShot(true);
    // A coarse timer may fire up to 5 % early; the splash shows for its full time.
    TmrTitle.setTimerType(Qt::PreciseTimer);
    connect(&TmrTitle, &QTimer::timeout, this, &DlgVer::TmrTitle_Timer);
    connect(CmdClose, &QPushButton::clicked, this, &DlgVer::CmdClose_Click);
    Form_Load();
}

void DlgVer::createControls()
{
    ImgLogo = MakeLogo(DrawPrinterLogo(LogoSize), this);
    ImgLogo2 = MakeLogo(DrawTagLogo(LogoSize), this);
    ImgLogo3 = MakeLogo(DrawMarkLogo(LogoSize), this);
    LblTitle = MakeLabel(QStringLiteral(" Identification "), this, 16, true);
    LblTitle2 = MakeLabel(QStringLiteral("of Talvik Printers "), this, 16, true);
    LblVersion = MakeLabel(QString(), this, 11);
    LblRevDate = MakeLabel(QStringLiteral("21.July.2006"), this);
    LblCopyright = MakeLabel(QString(), this);
    LblCopyright->setWordWrap(true);
    LblInit = MakeLabel(QStringLiteral("Now Initializing..."), this, 11, true);
    LblInit->hide();
    CmdClose = new QPushButton(QStringLiteral("Close"), this);
    CmdClose->setDefault(true);

    auto* logos = new QHBoxLayout;
    logos->addWidget(ImgLogo);
    logos->addStretch();
    logos->addWidget(ImgLogo2);
    logos->addStretch();
    logos->addWidget(ImgLogo3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(logos);
    for (QWidget* w : {static_cast<QWidget*>(LblTitle), static_cast<QWidget*>(LblTitle2),
                       static_cast<QWidget*>(LblVersion), static_cast<QWidget*>(LblRevDate),
                       static_cast<QWidget*>(LblCopyright), static_cast<QWidget*>(LblInit)})
        layout->addWidget(w);
    layout->addLayout(buttons);
    setMinimumWidth(380);
}

void DlgVer::Form_Load()
{
    LblVersion->setText(
        VersionText(ZENTAB_VERSION_MAJOR, ZENTAB_VERSION_MINOR, ZENTAB_VERSION_PATCH));
    LblCopyright->setText(LegalNotice());
    if (!SplashMode)
        return;
    splash_ = true;
    CmdClose->hide();
    setWindowFlag(Qt::WindowCloseButtonHint, false);
    TmrTitle.start(TitleDelayMs * WaitScalePercent() / 100);
    // A later showing from the Help menu is the plain version dialog.
    SplashMode = false;
}

void DlgVer::CmdClose_Click()
{
    accept();
}

void DlgVer::reject()
{
    if (!splash_)
        QDialog::reject();
}

void DlgVer::TmrTitle_Timer()
{
    TmrTitle.stop();
    LblCopyright->hide();
    LblInit->show();
    DoEvents();
    WaitMs(1000);
    const LoadResult result = LoadStartupFiles();
    ErrorFlag = result.status != LoadStatus::Done;
    if (result.status == LoadStatus::Failed) {
        SetPointer(Pointer::Default);
        MsgBox(result.description, QStringLiteral("ERROR!"));
        SetPointer(Pointer::Hourglass);
    }
    splash_ = false;
    accept();
}

// Settings file, then model data file. Done only when both were handled; a
// missing settings file is no failure but the first start. A wrong header
// stops the loading without a message of its own here.
LoadResult DlgVer::LoadStartupFiles()
{
    if (CheckSettingsFile()) {
        const LoadResult settings = LoadSettings();
        if (settings.status != LoadStatus::Done)
            return settings;
    } else {
        ShowFirstStartNotice();
    }
    ErrorFlag = true;
    ModelList.ModelCount = 0;
    ShowProgress(QStringLiteral(" Loading Model Data... "), 500);
    const LoadResult models = LoadModelData();
    if (models.status != LoadStatus::Done)
        return models;
    ErrorFlag = false;
    ShowProgress(QStringLiteral(" Completed ... "), 1000);
    return {};
}

void DlgVer::ShowFirstStartNotice()
{
    ErrorFlag = false;
    DialogCancelled = false; // tells the notice that this is the first start
    SetPointer(Pointer::Default);
    DlgNote note(this);
    note.exec();
    DoEvents();
    SetPointer(Pointer::Hourglass);
}

void DlgVer::ShowProgress(const QString& text, int waitMs)
{
    LblInit->setText(text);
    DoEvents();
    WaitMs(waitMs);
}

QString DlgVer::VersionText(int major, int minor, int revision)
{
    return QStringLiteral(" Version ") + QString::number(major, 16).toUpper() + QLatin1Char('.') +
           TwoDigits(minor) + QLatin1Char('.') + TwoDigits(revision) + QLatin1Char(' ');
}

QString DlgVer::LegalNotice()
{
    return QStringLiteral("Copyright (C) 2006-2026 The Zentab developers. All rights reserved.");
}

namespace Common {

namespace {
std::function<void()>& SplashReplacement()
{
    static std::function<void()> replacement;
    return replacement;
}
} // namespace

void ShowStartupSplash(QWidget* parent)
{
    if (SplashReplacement()) {
        SplashReplacement()();
        return;
    }
    DlgVer splash(parent);
    splash.exec();
}

void SetStartupSplashForTests(std::function<void()> replacement)
{
    SplashReplacement() = std::move(replacement);
}

} // namespace Common

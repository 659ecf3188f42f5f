#pragma once
// The interface settings dialog: one page per printer link, filled from the
// settings record when it opens and written back only by "Set". It never
// touches a port; the main window puts the new settings into effect.

#include "common/appsettings.h"

#include <QDialog>
#include <array>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class DlgIFSet : public QDialog {
    Q_OBJECT
public:
    explicit DlgIFSet(QWidget* parent = nullptr);

    // The pages, in the order of the interface list's entries.
    enum Page { SerialPage = 0, ParallelPage, USBPage, LANPage, WinDrvPage, PageCount };

    // Controls, named as on the form. Owned through Qt's parent-child tree.
    std::array<QLabel*, 17> LblComment{};
    QComboBox* CboIF = nullptr;
    QGroupBox* FraSerial = nullptr;
    QGroupBox* FraParallel = nullptr;
    QGroupBox* FraUSB = nullptr;
    QGroupBox* FraLAN = nullptr;
    QGroupBox* FraWinDrv = nullptr;
    QComboBox* CboCOMPort = nullptr;
    QCheckBox* ChkVirCOM = nullptr;
    QComboBox* CboCOMBaud = nullptr;
    QComboBox* CboCOMBitLen = nullptr;
    QComboBox* CboCOMParity = nullptr;
    QComboBox* CboCOMStopBit = nullptr;
    QComboBox* CboCOMFlow = nullptr;
    QComboBox* CboLPTPort = nullptr;
    QComboBox* CboUSBPort = nullptr;
    std::array<QLineEdit*, 4> TxtIPAddr{};
    QLineEdit* TxtLANPort = nullptr;
    QComboBox* CboWinDevice = nullptr;
    QLabel* LblWinPort = nullptr;
    QCheckBox* ChkAlwaysOpen = nullptr;
    QPushButton* CmdSet = nullptr;
    QPushButton* CmdCancel = nullptr;
    QPushButton* CmdInit = nullptr;
    QPushButton* CmdInitAll = nullptr;

    // Event handlers.
    void Form_Load();
    void CboIF_Click();
    void CboCOMPort_Click();
    void CboWinDevice_Click();
    void CmdSet_Click();
    void CmdCancel_Click();
    void CmdInit_Click();
    void CmdInitAll_Click();

private:
    void createControls();
    QGroupBox* createSerialFrame();
    QGroupBox* createParallelFrame();
    QGroupBox* createUSBFrame();
    QGroupBox* createLANFrame();
    QGroupBox* createWinDrvFrame();
    void createLayout();
    void initConnections();

    QLabel* makeLabel(int index, const QString& caption, QWidget* parent);
    QGroupBox* frameOf(int page) const;

    // Load steps.
    void fillPortLists();
    void selectSerialEntries(const Common::AppSettingsRecord& s);
    void showLANFields();
    void selectWinDevice();

    // Init rows, one per page.
    void initSerialPage();
    void initParallelPage();
    void initUSBPage();
    void initLANPage();
    void initWinDrvPage();

    // Set steps.
    std::uint8_t chosenInterface() const;
    bool lanFieldsValid() const;
    void storeSerialAndPorts();
    void storeLAN();
    void storeWinDriver();

    // The number in a LAN field; 10000 (outside every accepted range) for an
    // empty text, a non-digit or more digits than a field can hold.
    static std::int16_t ParseDigits(const QString& text);
};

// The interface settings dialog: its controls, their fixed lists and layout.
#include "dialogs/dlgifset.h"

#include "common/linkfacts.h"
#include "dialogs/listcontrols.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Common;

namespace {

template <typename Widget> Widget* Named(Widget* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

// A list of entries; when values are given, entry i carries values[i] as its
// item data, and the dialog reads and selects the list by value.
QComboBox* MakeList(const QString& name, QWidget* parent, const QStringList& entries = {},
                    const QList<int>& values = {})
{
    auto* list = Named(new QComboBox(parent), name);
    FillList(list, entries);
    for (int i = 0; i < values.size(); ++i)
        list->setItemData(i, values.at(i));
    return list;
}

// "  19,200bps": the rate with its thousands separated, right-aligned.
QString BaudEntry(std::uint16_t baud)
{
    const int bps = baud * 100;
    return QStringLiteral("%1,%2bps")
        .arg(bps / 1000)
        .arg(bps % 1000, 3, 10, QLatin1Char('0'))
        .rightJustified(11);
}

// " LPT2: (278h)": the port with its base address.
QString LptEntry(int port, std::uint16_t base)
{
    return QStringLiteral(" LPT%1: (%2h)").arg(port).arg(QString::number(base, 16).toUpper());
}

// The notes on the pages whose link is not ready for use yet.
void MakeRed(QLabel* label)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    label->setPalette(palette);
}

QGroupBox* MakeFrame(const QString& name, QWidget* parent)
{
    auto* frame = Named(new QGroupBox(parent), name);
    new QGridLayout(frame);
    return frame;
}

QGridLayout* GridOf(QGroupBox* frame)
{
    return static_cast<QGridLayout*>(frame->layout());
}

} // namespace

DlgIFSet::DlgIFSet(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Interface Set"));
    createControls();
    createLayout();
    initConnections();
    Form_Load();
}

QLabel* DlgIFSet::makeLabel(int index, const QString& caption, QWidget* parent)
{
    auto* label = Named(new QLabel(caption, parent), QStringLiteral("LblComment_%1").arg(index));
    LblComment[static_cast<std::size_t>(index)] = label;
    return label;
}

void DlgIFSet::createControls()
{
    makeLabel(0, QStringLiteral("Interface"), this);
    CboIF = MakeList(QStringLiteral("CboIF"), this,
                     {QStringLiteral(" Serial I/F"), QStringLiteral(" Parallel I/F"),
                      QStringLiteral(" USB I/F"), QStringLiteral(" LAN I/F"),
                      QStringLiteral(" Windows Driver")});
    FraSerial = createSerialFrame();
    FraParallel = createParallelFrame();
    FraUSB = createUSBFrame();
    FraLAN = createLANFrame();
    FraWinDrv = createWinDrvFrame();
    ChkAlwaysOpen =
        Named(new QCheckBox(QStringLiteral("Open after the I/F Set"), this), "ChkAlwaysOpen");

    CmdSet = Named(new QPushButton(QStringLiteral("Set"), this), "CmdSet");
    CmdSet->setDefault(true);
    CmdCancel = Named(new QPushButton(QStringLiteral("Cancel"), this), "CmdCancel");
    CmdInit = Named(new QPushButton(QStringLiteral("Init"), this), "CmdInit");
    CmdInitAll = Named(new QPushButton(QStringLiteral("All Init"), this), "CmdInitAll");
}

QGroupBox* DlgIFSet::createSerialFrame()
{
    QGroupBox* frame = MakeFrame(QStringLiteral("FraSerial"), this);
    CboCOMPort = MakeList(QStringLiteral("CboCOMPort"), frame); // filled on load
    ChkVirCOM = Named(new QCheckBox(QStringLiteral("Virtual COM Port"), frame), "ChkVirCOM");
    QStringList baudEntries;
    QList<int> baudValues;
    for (const std::uint16_t baud : BaudRates) {
        baudEntries << BaudEntry(baud);
        baudValues << baud;
    }
    CboCOMBaud = MakeList(QStringLiteral("CboCOMBaud"), frame, baudEntries, baudValues);
    CboCOMBitLen = MakeList(QStringLiteral("CboCOMBitLen"), frame,
                            {QStringLiteral(" 7 bits"), QStringLiteral(" 8 bits")}, {7, 8});
    CboCOMParity = MakeList(
        QStringLiteral("CboCOMParity"), frame,
        {QStringLiteral(" None"), QStringLiteral(" Odd"), QStringLiteral(" Even")}, {0, 1, 2});
    CboCOMStopBit = MakeList(QStringLiteral("CboCOMStopBit"), frame,
                             {QStringLiteral(" 1 bit"), QStringLiteral(" 2 bits")}, {1, 2});
    CboCOMFlow = MakeList(QStringLiteral("CboCOMFlow"), frame,
                          {QStringLiteral(" DTR/DSR"), QStringLiteral(" Xon/Xoff")}, {0, 1});

    QGridLayout* grid = GridOf(frame);
    grid->addWidget(makeLabel(1, QStringLiteral("Port No."), frame), 0, 0);
    grid->addWidget(CboCOMPort, 0, 1);
    grid->addWidget(ChkVirCOM, 0, 2);
    grid->addWidget(makeLabel(2, QStringLiteral("Baud rate"), frame), 1, 0);
    grid->addWidget(CboCOMBaud, 1, 1);
    grid->addWidget(makeLabel(3, QStringLiteral("Bit Length"), frame), 2, 0);
    grid->addWidget(CboCOMBitLen, 2, 1);
    grid->addWidget(makeLabel(4, QStringLiteral("Parity bit"), frame), 3, 0);
    grid->addWidget(CboCOMParity, 3, 1);
    grid->addWidget(makeLabel(5, QStringLiteral("Stop bit"), frame), 4, 0);
    grid->addWidget(CboCOMStopBit, 4, 1);
    grid->addWidget(makeLabel(6, QStringLiteral("Flow"), frame), 5, 0);
    grid->addWidget(CboCOMFlow, 5, 1);
    return frame;
}

QGroupBox* DlgIFSet::createParallelFrame()
{
    QGroupBox* frame = MakeFrame(QStringLiteral("FraParallel"), this);
    QStringList lptEntries;
    QList<int> lptPorts;
    for (std::size_t i = 0; i < LptBaseAddresses.size(); ++i) {
        const int port = static_cast<int>(i) + 1;
        lptEntries << LptEntry(port, LptBaseAddresses[i]);
        lptPorts << port;
    }
    CboLPTPort = MakeList(QStringLiteral("CboLPTPort"), frame, lptEntries, lptPorts);
    QGridLayout* grid = GridOf(frame);
    grid->addWidget(makeLabel(7, QStringLiteral("Port No."), frame), 0, 0);
    grid->addWidget(CboLPTPort, 0, 1);
    grid->setRowStretch(1, 1);
    return frame;
}

QGroupBox* DlgIFSet::createUSBFrame()
{
    QGroupBox* frame = MakeFrame(QStringLiteral("FraUSB"), this);
    CboUSBPort = MakeList(QStringLiteral("CboUSBPort"), frame); // filled on load
    QGridLayout* grid = GridOf(frame);
    grid->addWidget(makeLabel(8, QStringLiteral("Port No."), frame), 0, 0);
    grid->addWidget(CboUSBPort, 0, 1);
    grid->addWidget(makeLabel(9, QStringLiteral("Only Output (Registration)"), frame), 1, 0, 1, 2);
    grid->setRowStretch(2, 1);
    return frame;
}

QGroupBox* DlgIFSet::createLANFrame()
{
    QGroupBox* frame = MakeFrame(QStringLiteral("FraLAN"), this);
    QGridLayout* grid = GridOf(frame);
    grid->addWidget(makeLabel(13, QStringLiteral("IP Address"), frame), 0, 0);
    for (int k = 0; k < 4; ++k) {
        const std::size_t octet = static_cast<std::size_t>(k);
        auto* box = Named(new QLineEdit(QString::number(DefaultLanAddress[octet]), frame),
                          QStringLiteral("TxtIPAddr_%1").arg(k));
        box->setMaxLength(LanOctetDigits);
        TxtIPAddr[octet] = box;
        grid->addWidget(box, 0, 1 + k);
    }
    TxtLANPort = Named(new QLineEdit(QString::number(DefaultLanPort), frame), "TxtLANPort");
    TxtLANPort->setMaxLength(LanPortDigits);
    grid->addWidget(makeLabel(12, QStringLiteral("Port No."), frame), 1, 0);
    grid->addWidget(TxtLANPort, 1, 1, 1, 2);
    QLabel* note = makeLabel(10, QStringLiteral("* LAN is preparing now."), frame);
    MakeRed(note);
    grid->addWidget(note, 2, 0, 1, 5);
    grid->setRowStretch(3, 1);
    return frame;
}

QGroupBox* DlgIFSet::createWinDrvFrame()
{
    QGroupBox* frame = MakeFrame(QStringLiteral("FraWinDrv"), this);
    CboWinDevice = MakeList(QStringLiteral("CboWinDevice"), frame); // filled on load
    LblWinPort = Named(new QLabel(QStringLiteral("Port Name"), frame), "LblWinPort");
    QGridLayout* grid = GridOf(frame);
    grid->addWidget(makeLabel(14, QStringLiteral("Device Name"), frame), 0, 0);
    grid->addWidget(CboWinDevice, 0, 1);
    grid->addWidget(makeLabel(15, QStringLiteral("Port Name"), frame), 1, 0);
    grid->addWidget(LblWinPort, 1, 1);
    grid->addWidget(makeLabel(11, QStringLiteral("Only Output (Registration)"), frame), 2, 0, 1, 2);
    QLabel* note = makeLabel(16, QStringLiteral("* WinDrv is preparing now."), frame);
    MakeRed(note);
    grid->addWidget(note, 3, 0, 1, 2);
    grid->setRowStretch(4, 1);
    return frame;
}

void DlgIFSet::createLayout()
{
    auto* top = new QHBoxLayout;
    top->addWidget(LblComment[0]);
    top->addWidget(CboIF, 1);

    // The five pages share one place; the page switch shows one at a time.
    auto* pages = new QGridLayout;
    for (int page = 0; page < PageCount; ++page)
        pages->addWidget(frameOf(page), 0, 0);
    for (int page = 1; page < PageCount; ++page)
        frameOf(page)->hide();

    auto* left = new QVBoxLayout;
    left->addLayout(top);
    left->addLayout(pages, 1);
    left->addWidget(ChkAlwaysOpen);

    auto* right = new QVBoxLayout;
    right->addWidget(CmdSet);
    right->addWidget(CmdCancel);
    right->addStretch(1);
    right->addWidget(CmdInit);
    right->addWidget(CmdInitAll);

    auto* whole = new QHBoxLayout(this);
    whole->addLayout(left, 1);
    whole->addLayout(right);
}

void DlgIFSet::initConnections()
{
    connect(CboIF, &QComboBox::currentIndexChanged, this, &DlgIFSet::CboIF_Click);
    connect(CboCOMPort, &QComboBox::currentIndexChanged, this, &DlgIFSet::CboCOMPort_Click);
    connect(CboWinDevice, &QComboBox::currentIndexChanged, this, &DlgIFSet::CboWinDevice_Click);
    connect(CmdSet, &QPushButton::clicked, this, &DlgIFSet::CmdSet_Click);
    connect(CmdCancel, &QPushButton::clicked, this, &DlgIFSet::CmdCancel_Click);
    connect(CmdInit, &QPushButton::clicked, this, &DlgIFSet::CmdInit_Click);
    connect(CmdInitAll, &QPushButton::clicked, this, &DlgIFSet::CmdInitAll_Click);
}

QGroupBox* DlgIFSet::frameOf(int page) const
{
    switch (page) {
    case SerialPage:
        return FraSerial;
    case ParallelPage:
        return FraParallel;
    case USBPage:
        return FraUSB;
    case LANPage:
        return FraLAN;
    case WinDrvPage:
        return FraWinDrv;
    default:
        return nullptr;
    }
}

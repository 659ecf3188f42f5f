// The main window's own small widgets and the colour values' byte order.

#include "app/clickablelabel.h"
#include "app/ledindicator.h"
#include "common/latin1validator.h"
#include "common/wincolour.h"

#include <QImage>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

using namespace Common;

class TestWidgets : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The stored value is 0x00BBGGRR.
    void colourValueByteOrder()
    {
        QCOMPARE(FromWinColour(0x123456), QColor(0x56, 0x34, 0x12));
        QCOMPARE(ToWinColour(QColor(0x56, 0x34, 0x12)), std::uint32_t(0x123456));
    }

    void textBoxColoursHoldWhenDisabled()
    {
        QLineEdit box;
        SetForeColor(&box, ColourBlue);
        SetBackColor(&box, ColourRed);
        box.setEnabled(false);
        QCOMPARE(box.palette().color(QPalette::Disabled, QPalette::Text), QColor(0, 0, 255));
        QCOMPARE(box.palette().color(QPalette::Disabled, QPalette::Base), QColor(255, 0, 0));
    }

    void lampShowsItsColour_data()
    {
        QTest::addColumn<std::uint32_t>("value");
        QTest::addColumn<int>("channel"); // 0 red, 1 green, 2 blue
        QTest::newRow("red") << std::uint32_t(ColourRed) << 0;
        QTest::newRow("green") << std::uint32_t(ColourGreen) << 1;
    }
    void lampShowsItsColour()
    {
        QFETCH(std::uint32_t, value);
        QFETCH(int, channel);
        LedIndicator lamp;
        lamp.resize(lamp.sizeHint());
        lamp.setForeColor(value);
        const QImage image = lamp.grab().toImage();
        // Below and right of the highlight the lamp shows its plain colour.
        const QColor pixel = image.pixelColor(image.width() * 2 / 3, image.height() * 2 / 3);
        const int channels[3] = {pixel.red(), pixel.green(), pixel.blue()};
        for (int c = 0; c < 3; ++c) {
            if (c == channel)
                QVERIFY2(channels[c] > 200, qPrintable(pixel.name()));
            else
                QVERIFY2(channels[c] < 100, qPrintable(pixel.name()));
        }
    }

    void labelClicks()
    {
        ClickableLabel label;
        label.resize(60, 20);
        label.show();
        QVERIFY(QTest::qWaitForWindowExposed(&label));
        QSignalSpy clicked(&label, &ClickableLabel::clicked);
        QTest::mouseClick(&label, Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
        QTest::mouseClick(&label, Qt::RightButton);
        QCOMPARE(clicked.count(), 1);
        // Released outside: no click, as with a button.
        QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(200, 5));
        QCOMPARE(clicked.count(), 1);
    }

    void latin1Only_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("ASCII") << QStringLiteral("Printer001") << true;
        QTest::newRow("y diaeresis, last of the set") << QStringLiteral("\u00FF") << true;
        QTest::newRow("first beyond the set") << QStringLiteral("\u0100") << false;
        QTest::newRow("surrogate pair") << QString::fromUcs4(U"\U0001F600") << false;
    }
    void latin1Only()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        Latin1Validator validator;
        int pos = 0;
        QCOMPARE(validator.validate(text, pos) == QValidator::Acceptable, accepted);
    }
};

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"

// Damaged start-up files: truncated, binary, very long lines, characters
// outside ASCII. Each is read under the ordinary rules; none may crash the
// reader, change the file, or set anything the rules do not allow.

#include "settings/modeldata.h"
#include "settings/settingsfile.h"
#include "startupfiles.h"

#include <QDir>
#include <QtTest>
#include <functional>

using namespace Common;
using TestSupport::Describe;
using TestSupport::MessageLog;
using TestSupport::ReadFixture;
using TestSupport::ScopedDataFolder;

using Adjust = std::function<void(AppSettingsRecord&)>;
Q_DECLARE_METATYPE(Adjust)

class TestBadInput : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void settingsFixtures_data();
    void settingsFixtures();
    void modelFixtures_data();
    void modelFixtures();
};

void TestBadInput::settingsFixtures_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<int>("status");
    QTest::addColumn<Adjust>("expected"); // applied to a default record

    const int done = int(LoadStatus::Done);
    QTest::newRow("truncated header")
        << "settings_truncatedHeader.ini" << int(LoadStatus::WrongHeader) << Adjust([](auto&) {});
    QTest::newRow("truncated mid-line")
        << "settings_truncatedMidLine.ini" << done << Adjust([](AppSettingsRecord& s) {
               s.ModelName = QStringLiteral("ZX-P750");
               s.COMPort = 3;
           });
    QTest::newRow("empty") << "settings_empty.ini" << int(LoadStatus::Failed)
                           << Adjust([](auto&) {});
    QTest::newRow("binary garbage")
        << "settings_binaryGarbage.ini" << int(LoadStatus::WrongHeader) << Adjust([](auto&) {});
    // Only "COMPort = 3<NUL>" passes: a leading number is read up to the NUL,
    // while "7<NUL>" is not exactly "7" and "<NUL>1" has no leading number.
    QTest::newRow("binary after header") << "settings_binaryAfterHeader.ini" << done
                                         << Adjust([](AppSettingsRecord& s) { s.COMPort = 3; });
    QTest::newRow("very long lines")
        << "settings_veryLongLines.ini" << done << Adjust([](AppSettingsRecord& s) {
               s.StartNum = 42;
               s.COMPort = 4;
           });
    QTest::newRow("non-ASCII") << "settings_nonAscii.ini" << done
                               << Adjust([](AppSettingsRecord& s) {
                                      s.ModelName = QString::fromUtf8("Zébra-Ü1");
                                      s.SerialNo = QString::fromUtf8("Prïnter001");
                                      s.LPTPort = 2;
                                      s.LPTAddress = 0x278;
                                  });
}

void TestBadInput::settingsFixtures()
{
    QFETCH(QString, fixture);
    QFETCH(int, status);
    QFETCH(Adjust, expected);
    ScopedDataFolder folder;
    QVERIFY(folder.copyFixture(fixture, SettingsFileName));
    MessageLog messages;

    QCOMPARE(int(LoadSettings().status), status);
    AppSettingsRecord want;
    expected(want);
    QCOMPARE(Describe(AppSettings), Describe(want));
    QVERIFY(messages.entries.isEmpty());
    QCOMPARE(folder.read(SettingsFileName), ReadFixture(fixture));
    QCOMPARE(QDir(folder.path(QString())).entryList(QDir::Files | QDir::Hidden),
             QStringList{SettingsFileName});
}

void TestBadInput::modelFixtures_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<int>>("ids");

    const int done = int(LoadStatus::Done);
    const int wrong = int(LoadStatus::WrongHeader);
    QTest::newRow("truncated header")
        << "models_truncatedHeader.dat" << wrong << QStringList() << QList<int>();
    QTest::newRow("truncated mid-line") << "models_truncatedMidLine.dat" << done
                                        << QStringList{"ZX-P700", "ZX"} << QList<int>{0x35, 0x36};
    QTest::newRow("empty") << "models_empty.dat" << int(LoadStatus::Failed) << QStringList()
                           << QList<int>();
    QTest::newRow("binary garbage")
        << "models_binaryGarbage.dat" << wrong << QStringList() << QList<int>();
    QTest::newRow("binary after header")
        << "models_binaryAfterHeader.dat" << done << QStringList{QString::fromLatin1("\xff\xfe")}
        << QList<int>{0x35};
    QTest::newRow("very long lines")
        << "models_veryLongLines.dat" << done << QStringList{"ZX-Q500"} << QList<int>{0x51};
    QTest::newRow("non-ASCII") << "models_nonAscii.dat" << done
                               << QStringList{QString::fromUtf8("Zébra Ü"),
                                              QString::fromLatin1("Z\xc3\xa9"
                                                                  "bra")}
                               << QList<int>{0x41, 0x42};
}

void TestBadInput::modelFixtures()
{
    QFETCH(QString, fixture);
    QFETCH(int, status);
    QFETCH(QStringList, names);
    QFETCH(QList<int>, ids);
    ScopedDataFolder folder;
    QVERIFY(folder.copyFixture(fixture, ModelDataFileName));
    AppSettings.ModelName = QStringLiteral("Before");
    MessageLog messages;

    QCOMPARE(int(LoadModelData().status), status);
    QCOMPARE(int(ModelList.ModelCount), names.size());
    for (int i = 0; i < names.size(); ++i) {
        QCOMPARE(ModelList.ModelNames[i], names.at(i));
        QCOMPARE(int(ModelList.ModelIds[i]), ids.at(i));
    }
    QCOMPARE(AppSettings.ModelName, names.isEmpty() ? QStringLiteral("Before") : names.first());
    QCOMPARE(messages.entries.size(), status == int(LoadStatus::WrongHeader) ? 1 : 0);
    QCOMPARE(folder.read(ModelDataFileName), ReadFixture(fixture));
    QCOMPARE(QDir(folder.path(QString())).entryList(QDir::Files | QDir::Hidden),
             QStringList{ModelDataFileName});
}

QTEST_GUILESS_MAIN(TestBadInput)
#include "tst_badinput.moc"

// The settings file on disk: finding and reading it, and replacing it so that
// a failed save never damages the file that was there.

#include "settings/settingsfile.h"
#include "startupfiles.h"

#include <QDir>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>

using namespace Common;
using TestSupport::Describe;
using TestSupport::MessageLog;
using TestSupport::ScopedDataFolder;

namespace {

const QDateTime WrittenAt(QDate(2026, 12, 5), QTime(11, 1));

// Makes every write that would take a file past maxBytes fail, as a full disk
// does, while it lives. The signal that would end the process is ignored so
// that the write returns its error instead.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t maxBytes)
    {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = maxBytes;
        active_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool active() const { return active_; }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
    bool active_ = false;
};

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void checkFindsTheFile();
    void loadReadsIntoAppSettings();
    void loadFailures_data();
    void loadFailures();
    void saveWritesTheFormattedFile();
    void saveThenLoadGivesTheSameSettings();
    void saveReplacesALongerFile();
    void failedWriteLeavesTheOldFileWhole();
    void unwritableFolderIsReported();
};

void TestSettingsFile::init()
{
    SetSettingsClockForTests([] { return WrittenAt; });
}

void TestSettingsFile::cleanup()
{
    SetSettingsClockForTests(nullptr);
}

void TestSettingsFile::checkFindsTheFile()
{
    ScopedDataFolder folder;
    QVERIFY(!CheckSettingsFile());
    QVERIFY(folder.write(QStringLiteral("Zentab.ini"), QByteArray()));
    QVERIFY(CheckSettingsFile()); // an empty file is there all the same
    // The folder is taken once; the process's current directory does not count.
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(QDir::tempPath());
    QVERIFY(CheckSettingsFile());
    QDir::setCurrent(cwd);
}

void TestSettingsFile::loadReadsIntoAppSettings()
{
    ScopedDataFolder folder;
    QVERIFY(folder.write(QStringLiteral("Zentab.ini"),
                         "Zentab    01.Jan.26  08:00\r\nModelName = ZX-P750\r\nLPTPort =  2\r\n"));
    const LoadResult result = LoadSettings();
    QCOMPARE(result.status, LoadStatus::Done);
    QCOMPARE(AppSettings.ModelName, QStringLiteral("ZX-P750"));
    QCOMPARE(AppSettings.LPTAddress, 0x278);
}

void TestSettingsFile::loadFailures_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("asFolder");
    QTest::addColumn<int>("status");
    QTest::newRow("empty file") << QByteArray() << false << int(LoadStatus::Failed);
    QTest::newRow("wrong header") << QByteArray("Settings\r\nCOMPort = 3\r\n") << false
                                  << int(LoadStatus::WrongHeader);
    QTest::newRow("a folder in its place") << QByteArray() << true << int(LoadStatus::Failed);
    QTest::newRow("too large") << QByteArray("Zentab\r\n") + QByteArray(2 * 1024 * 1024, 'x')
                               << false << int(LoadStatus::Failed);
}

void TestSettingsFile::loadFailures()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, asFolder);
    QFETCH(int, status);
    ScopedDataFolder folder;
    if (asFolder)
        QVERIFY(QDir(folder.path(QString())).mkdir(QStringLiteral("Zentab.ini")));
    else
        QVERIFY(folder.write(QStringLiteral("Zentab.ini"), content));
    MessageLog messages;
    const LoadResult result = LoadSettings();
    QCOMPARE(int(result.status), status);
    if (result.status == LoadStatus::Failed)
        QVERIFY2(result.description.contains(QStringLiteral("Zentab.ini")),
                 qPrintable(result.description));
    QVERIFY(messages.entries.isEmpty()); // the start-up loading shows failures
    QCOMPARE(Describe(AppSettings), Describe(AppSettingsRecord{}));
}

void TestSettingsFile::saveWritesTheFormattedFile()
{
    ScopedDataFolder folder;
    AppSettings.ModelName = QStringLiteral("ZX-P700");
    AppSettings.COMPort = 2;
    MessageLog messages;
    QVERIFY(SaveSettings(QStringLiteral("Printer001")));
    QVERIFY(messages.entries.isEmpty());
    QCOMPARE(folder.read(QStringLiteral("Zentab.ini")),
             QByteArray("Zentab    05.Dec.26  11:01\r\nModelName = ZX-P700\r\nCOMPort =  2\r\n"
                        "SerialNo = Printer001\r\n"));
    QCOMPARE(QDir(folder.path(QString())).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("Zentab.ini")});
}

void TestSettingsFile::saveThenLoadGivesTheSameSettings()
{
    ScopedDataFolder folder;
    AppSettings.ModelName = QStringLiteral("ZX-Q500");
    AppSettings.Interface = VirtualCom;
    AppSettings.COMPort = 17;
    AppSettings.LANIP = QStringLiteral("10.1.2.3");
    AppSettings.LANIPOctets = {10, 1, 2, 3};
    AppSettings.StartNum = 999999;
    AppSettings.PortOpen = true;
    const AppSettingsRecord saved = AppSettings;
    QVERIFY(SaveSettings(QStringLiteral("Printer001")));

    AppSettings = AppSettingsRecord{};
    QCOMPARE(LoadSettings().status, LoadStatus::Done);
    AppSettingsRecord want = saved;
    want.SerialNo = QStringLiteral("Printer001");
    QCOMPARE(Describe(AppSettings), Describe(want));
}

void TestSettingsFile::saveReplacesALongerFile()
{
    ScopedDataFolder folder;
    QVERIFY(folder.write(QStringLiteral("Zentab.ini"), QByteArray(5000, 'z')));
    QVERIFY(SaveSettings(QString()));
    QCOMPARE(folder.read(QStringLiteral("Zentab.ini")),
             QByteArray("Zentab    05.Dec.26  11:01\r\nModelName = \r\n"));
}

void TestSettingsFile::failedWriteLeavesTheOldFileWhole()
{
    ScopedDataFolder folder;
    const QByteArray old = "Zentab    01.Jan.26  08:00\r\nModelName = OLD\r\n";
    QVERIFY(folder.write(QStringLiteral("Zentab.ini"), old));
    AppSettings.ModelName = QStringLiteral("ZX-P700");
    MessageLog messages;
    bool saved = true;
    {
        // The new file breaks off after 20 bytes, as on a full disk.
        FileSizeLimit limit(20);
        QVERIFY(limit.active());
        saved = SaveSettings(QStringLiteral("Printer001"));
    }
    QVERIFY(!saved);
    QCOMPARE(folder.read(QStringLiteral("Zentab.ini")), old);
    QCOMPARE(messages.entries.size(), 1);
    QCOMPARE(messages.entries.at(0).first, QStringLiteral("ERROR!"));
    QVERIFY2(messages.entries.at(0).second.contains(QStringLiteral("Zentab.ini")),
             qPrintable(messages.entries.at(0).second));
    // No half-written file is left beside the old one.
    QCOMPARE(QDir(folder.path(QString())).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("Zentab.ini")});
}

void TestSettingsFile::unwritableFolderIsReported()
{
    ScopedDataFolder folder;
    // Even root cannot create a file below a regular file.
    QVERIFY(folder.write(QStringLiteral("plain"), "x"));
    DataFolder = folder.path(QStringLiteral("plain"));
    MessageLog messages;
    QVERIFY(!SaveSettings(QStringLiteral("Printer001")));
    QCOMPARE(messages.entries.size(), 1);
    QCOMPARE(messages.entries.at(0).first, QStringLiteral("ERROR!"));
    QVERIFY(messages.entries.at(0).second.startsWith(QDir::toNativeSeparators(DataFolder)));
    QCOMPARE(folder.read(QStringLiteral("plain")), QByteArray("x"));
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"

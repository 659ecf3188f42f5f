// The model data file: which lines are models, the identifier digits, the
// sixteen-model limit, the default model and the selection by name.

#include "settings/modeldata.h"
#include "startupfiles.h"

#include <QtTest>

using namespace Common;
using namespace TestSupport;

namespace {

struct Parsed {
    LoadStatus status;
    ModelListRecord list;
    QString modelName;
};

Parsed Parse(const QByteArray& bytes, const QString& modelName = QString())
{
    Parsed p{LoadStatus::Done, {}, modelName};
    p.status = ParseModelData(bytes, p.list, p.modelName).status;
    return p;
}

QByteArray File(const QByteArray& lines)
{
    return "Zentab models\r\n" + lines;
}

QString ExamplePath()
{
    return QStringLiteral(ZENTAB_TEST_FIXTURES "/../../examples/Models.Dat");
}

} // namespace

class TestModelData : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The model a line gives; no name: the line is skipped.
    void modelLine_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("name");
        auto row = [](const char* name, const QByteArray& line, int id, const QString& model) {
            QTest::newRow(name) << line << id << model;
        };
        row("identifier then name", "35ZX-P700", 0x35, "ZX-P700");
        row("space after identifier", "35 ZX-P700", 0, "");
        row("spaces around the line", "   35ZX-P700   ", 0x35, "ZX-P700");
        row("space inside the name", "35ZX P700", 0x35, "ZX P700");
        row("19 characters", "51ABCDEFGHIJKLMNOPQ", 0x51, "ABCDEFGHIJKLMNOPQ");
        row("20 characters", "51ABCDEFGHIJKLMNOPQR", 0, "");
        row("4 characters", "35AB", 0x35, "AB");
        row("3 characters", "35A", 0, "");
        row("lower-case hex", "abName", 0xAB, "Name");
        row("second digit not hex", "3GName", 0x3, "Name");
        row("first digit not hex", "G3Name", 0, "Name");
        row("Latin-1 name",
            "41Z\xe9"
            "bra",
            0x41, QString::fromUtf8("Zébra"));
        row("tab is not a space", "35\tZX", 0x35, "\tZX");
    }
    void modelLine()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, id);
        QFETCH(QString, name);
        // A valid model follows, so a skipped line shows as a list of one.
        const Parsed p = Parse(File(line + "\r\n36ZX-P750\r\n"));
        QCOMPARE(p.status, LoadStatus::Done);
        QCOMPARE(p.list.ModelCount, name.isEmpty() ? 1 : 2);
        QCOMPARE(p.list.ModelNames[0], name.isEmpty() ? QStringLiteral("ZX-P750") : name);
        if (!name.isEmpty())
            QCOMPARE(p.list.ModelIds[0], id);
    }

    void headerOnlyGivesTheDefaultModel()
    {
        for (const QByteArray& bytes :
             {QByteArray("Zentab"), File(""), File("\r\n  \r\n35 X\r\n12\r\n")}) {
            const Parsed p = Parse(bytes, QStringLiteral("Other"));
            QCOMPARE(p.status, LoadStatus::Done);
            QCOMPARE(p.list.ModelCount, 1);
            QCOMPARE(p.list.ModelNames[0], QStringLiteral("ZX-P700"));
            QCOMPARE(p.list.ModelIds[0], 0x35);
            QCOMPARE(p.list.ModelIndex, 1);
            QCOMPARE(p.modelName, QStringLiteral("ZX-P700"));
        }
    }

    void sixteenModelsAtMost()
    {
        QByteArray lines;
        for (int i = 0; i < 20; ++i)
            lines += QByteArray::number(0x30 + i, 16).toUpper() + "Model" + QByteArray::number(i) +
                     "\r\n";
        const Parsed p = Parse(File(lines), QStringLiteral("Model16"));
        QCOMPARE(p.list.ModelCount, 16);
        QCOMPARE(p.list.ModelNames[15], QStringLiteral("Model15"));
        QCOMPARE(p.list.ModelIds[15], 0x3F);
        QVERIFY(p.list.ModelNames[16].isEmpty()); // the spare slot stays unused
        // The seventeenth model is not read, so its name selects the first.
        QCOMPARE(p.list.ModelIndex, 1);
        QCOMPARE(p.modelName, QStringLiteral("Model0"));
    }

    void fileOrderIsKept()
    {
        const Parsed p = Parse(File("51ZX-Q500\r\n\r\n35ZX-P700\r\nnot a model line at all\r\n"
                                    "3AZX-R300"));
        QCOMPARE(p.list.ModelCount, 3);
        QCOMPARE(p.list.ModelIds[0], 0x51);
        QCOMPARE(p.list.ModelIds[1], 0x35);
        QCOMPARE(p.list.ModelNames[2], QStringLiteral("ZX-R300"));
    }

    void selection_data()
    {
        QTest::addColumn<QString>("settingsName");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");
        QTest::newRow("exact") << "ZX-P750" << 2 << "ZX-P750";
        QTest::newRow("other case takes the file's") << "zx-p750" << 2 << "ZX-P750";
        QTest::newRow("not listed selects the first") << "ZX-9999" << 1 << "ZX-P700";
        QTest::newRow("first of two equal names") << "zx-q500" << 3 << "ZX-Q500";
        QTest::newRow("no partial match") << "ZX-P75" << 1 << "ZX-P700";
    }
    void selection()
    {
        QFETCH(QString, settingsName);
        QFETCH(int, index);
        QFETCH(QString, name);
        const Parsed p =
            Parse(File("35ZX-P700\r\n36ZX-P750\r\n51ZX-Q500\r\n52zx-q500\r\n"), settingsName);
        QCOMPARE(p.list.ModelIndex, index);
        QCOMPARE(p.modelName, name);
    }

    // Damaged files on disk: none may crash the reader or change the file; only
    // a wrong header shows its message here (the start-up loading shows the rest)
    // and leaves the list empty and the settings' model name as it was.
    void loadFromDisk_data()
    {
        QTest::addColumn<QString>("fixture"); // empty: no file
        QTest::addColumn<LoadStatus>("status");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<int>>("ids");
        auto row = [](const char* fixture, LoadStatus status, const QStringList& names = {},
                      const QList<int>& ids = {}) {
            QTest::newRow(*fixture ? fixture : "missing") << fixture << status << names << ids;
        };
        const LoadStatus done = LoadStatus::Done, wrong = LoadStatus::WrongHeader;
        row("", LoadStatus::Failed);
        row("models_truncatedHeader.dat", wrong);
        row("models_truncatedMidLine.dat", done, {"ZX-P700", "ZX"}, {0x35, 0x36});
        row("models_empty.dat", LoadStatus::Failed);
        row("models_binaryGarbage.dat", wrong);
        row("models_binaryAfterHeader.dat", done, {QString::fromLatin1("\xff\xfe")}, {0x35});
        row("models_veryLongLines.dat", done, {"ZX-Q500"}, {0x51});
        row("models_nonAscii.dat", done,
            {QString::fromUtf8("Zébra Ü"), QString::fromLatin1("Z\xc3\xa9"
                                                               "bra")},
            {0x41, 0x42});
    }
    void loadFromDisk()
    {
        QFETCH(QString, fixture);
        QFETCH(LoadStatus, status);
        QFETCH(QStringList, names);
        QFETCH(QList<int>, ids);
        ScopedDataFolder folder;
        if (!fixture.isEmpty())
            QVERIFY(folder.copyFixture(fixture, ModelDataFileName));
        AppSettings.ModelName = QStringLiteral("Before");
        ModelList.ModelCount = 2; // whatever was there is gone
        CapturedMessages messages;

        const LoadResult result = LoadModelData();
        QCOMPARE(result.status, status);
        if (status == LoadStatus::Failed)
            QVERIFY2(result.description.contains(ModelDataFileName),
                     qPrintable(result.description));
        QCOMPARE(int(ModelList.ModelCount), names.size());
        for (int i = 0; i < names.size(); ++i) {
            QCOMPARE(ModelList.ModelNames[i], names.at(i));
            QCOMPARE(int(ModelList.ModelIds[i]), ids.at(i));
        }
        QCOMPARE(AppSettings.ModelName, names.isEmpty() ? QStringLiteral("Before") : names.first());
        QCOMPARE(messages.all().size(), status == LoadStatus::WrongHeader ? 1 : 0);
        if (status == LoadStatus::WrongHeader) {
            QCOMPARE(messages.all().at(0).title, QStringLiteral("Model Data ERROR!"));
            QCOMPARE(messages.all().at(0).text, QStringLiteral("Failed to load the Model data."));
        }
        if (!fixture.isEmpty()) {
            QCOMPARE(folder.read(ModelDataFileName), ReadFixture(fixture));
            QCOMPARE(folder.files(), QStringList{ModelDataFileName});
        }
    }

    void exampleFile()
    {
        ScopedDataFolder folder;
        QVERIFY(QFile::copy(ExamplePath(), folder.path(ModelDataFileName)));
        AppSettings.ModelName = QStringLiteral("zx-q500");
        QCOMPARE(LoadModelData().status, LoadStatus::Done);
        QVERIFY(ModelList.ModelCount >= 2);
        QCOMPARE(ModelList.ModelNames[0], QStringLiteral("ZX-P700"));
        QCOMPARE(ModelList.ModelIds[0], 0x35);
        QCOMPARE(ModelList.ModelIds[ModelList.ModelIndex - 1], 0x51);
        QCOMPARE(AppSettings.ModelName, QStringLiteral("ZX-Q500"));
    }
};

QTEST_GUILESS_MAIN(TestModelData)
#include "tst_modeldata.moc"

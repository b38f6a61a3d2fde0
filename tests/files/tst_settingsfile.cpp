#include "FileTestSupport.h"
#include "SettingsFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <exception>
#include <sstream>

using namespace quorvel;
using namespace quorvel::test;

Q_DECLARE_METATYPE(quorvel::CarriedSettings)

class SettingsFileTest : public QObject
{
    Q_OBJECT

private slots:
    void folderGivesZeros()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid() && QDir(dir.path()).mkdir("KVCNFG.DNX"));
        CarriedSettings read{7, {7, 7, 7}, 7};
        bool threw = false;
        try {
            read = ReadSettingsFile(str(dir.filePath("KVCNFG.DNX")));
        } catch (const std::exception &) {
            threw = true;
        }
        // A folder opens for reading here, and its first read throws; that
        // must not end the program.
        QVERIFY(!threw);
        QVERIFY(read == CarriedSettings{});
    }

    void parse_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<CarriedSettings>("expected");
        QTest::newRow("empty") << QByteArray() << CarriedSettings{};
        QTest::newRow("unit system only") << QByteArray("1") << CarriedSettings{1, {}, 0};
        QTest::newRow("three lines")
            << QByteArray(" 2 \r\n 5 \r\n-6 \r\n") << CarriedSettings{2, {5, -6, 0}, 0};
        QTest::newRow("all five") << QByteArray(" 1 \r\n 2 \r\n 3 \r\n 4 \r\n-5 \r\n")
                                  << CarriedSettings{1, {2, 3, 4}, -5};
        QTest::newRow("line feeds")
            << QByteArray("1\n2\n3\n4\n5\n") << CarriedSettings{1, {2, 3, 4}, 5};
        QTest::newRow("carriage returns")
            << QByteArray("1\r2\r3\r4\r5") << CarriedSettings{1, {2, 3, 4}, 5};
        // A number beyond 16 bits is 0, and the fields after it stay in place.
        QTest::newRow("beyond 16 bits") << QByteArray(" 1 \r\n 40000 \r\n 3 \r\n-40000 \r\n 5 \r\n")
                                        << CarriedSettings{1, {0, 3, 0}, 5};
    }

    void parse()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(CarriedSettings, expected);
        std::stringbuf source(str(bytes), std::ios::in);
        QVERIFY(ParseSettings(source) == expected);
    }

    void writeThenRead_data()
    {
        QTest::addColumn<CarriedSettings>("settings");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("zeros") << CarriedSettings{}
                               << QByteArray(" 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n");
        QTest::newRow("reserved kept") << CarriedSettings{1, {7, -8, 9}, 0}
                                       << QByteArray(" 1 \r\n 7 \r\n-8 \r\n 9 \r\n 0 \r\n");
        QTest::newRow("edges") << CarriedSettings{-32768, {32767, -1, 1}, 32767}
                               << QByteArray("-32768 \r\n 32767 \r\n-1 \r\n 1 \r\n 32767 \r\n");
    }

    void writeThenRead()
    {
        QFETCH(CarriedSettings, settings);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const std::string path = str(dir.filePath("KVCNFG.DNX"));
        QVERIFY(writeBytes(path, "older contents, longer than the new ones\r\n"));
        const FileWriteResult written = WriteSettingsFile(path, settings);
        QVERIFY2(written.ok, written.reason.c_str());
        QCOMPARE(readBytes(path), str(bytes));
        QVERIFY(ReadSettingsFile(path) == settings);
    }
};

QTEST_APPLESS_MAIN(SettingsFileTest)
#include "tst_settingsfile.moc"

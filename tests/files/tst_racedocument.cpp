#include "FileTestSupport.h"
#include "RaceDocument.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <tuple>

#include <sys/resource.h>
#include <sys/stat.h>

using namespace quorvel;
using namespace quorvel::test;

Q_DECLARE_METATYPE(quorvel::RaceFileReadStatus)

namespace {

// Everything a read or a write of the document may change.
auto snapshotOf(const RaceDocument &document)
{
    return std::tuple(document.sheet(), document.comment(), document.inputMode(),
                      document.settings(), document.currentFile().path(),
                      document.currentFile().displayName());
}

// A race with every part set; gasket input 5 follows the end marker.
std::string knownRaceBytes()
{
    RaceFileContents race;
    race.cells[SideCell::TankCapacity] = "22";
    race.cells[SideCell::FuelSpecGravity] = "0.72";
    race.cells[SideCell::LapLength] = "1.5";
    race.cells[SideCell::CautionLapUsage] = "50";
    for (const std::size_t reserved : {114, 131, 142, 150})
        race.cells[reserved] = "r" + std::to_string(reserved);
    race.comment = "pit wall notes\r\nsecond line";
    race.inputMode = 3;
    race.unitSystem = 1;
    return SerializeRaceFile(race) + " 5 \r\n";
}

// Hidden names included, so a temporary file left behind shows.
QStringList listing(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

class RaceDocumentTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        document_.reset();
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        QVERIFY(QDir(dir_->path()).mkpath("lqrfiles/2003"));
        const std::string known = str(dir_->filePath("lqrfiles/known.lqr"));
        QVERIFY(writeBytes(known, knownRaceBytes()));
        document_ = std::make_unique<RaceDocument>(str(dir_->path()));
        QCOMPARE(document_->readRaceFile(known).status, RaceFileReadStatus::Read);
        QCOMPARE(document_->currentFile().displayName(), std::string("KNOWN.LQR"));
    }

    void refusedReadChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // null: no file at all
        QTest::addColumn<bool>("folder");
        QTest::addColumn<RaceFileReadStatus>("status");
        const auto notRace = RaceFileReadStatus::NotARaceFile;
        QTest::newRow("lower-case magic")
            << QByteArray("dnx-lqr*1.20\r\n 2 \r\n 2 \r\nx\r\n") << false << notRace;
        QTest::newRow("empty file") << QByteArray("") << false << notRace;
        QTest::newRow("text file") << QByteArray("shopping list\r\n") << false << notRace;
        QTest::newRow("missing file") << QByteArray() << false << RaceFileReadStatus::CannotOpen;
        QTest::newRow("folder") << QByteArray() << true << RaceFileReadStatus::CannotOpen;
    }

    void refusedReadChangesNothing()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, folder);
        QFETCH(RaceFileReadStatus, status);
        const QString path = dir_->filePath("lqrfiles/other.lqr");
        if (folder)
            QVERIFY(QDir().mkpath(path));
        else if (!bytes.isNull())
            QVERIFY(writeBytes(str(path), str(bytes)));
        const auto before = snapshotOf(*document_);
        const RaceDocument::ReadOutcome outcome = document_->readRaceFile(str(path));
        QCOMPARE(outcome.status, status);
        if (status == RaceFileReadStatus::CannotOpen)
            QVERIFY(!outcome.reason.empty());
        QVERIFY(snapshotOf(*document_) == before);
    }

    void earlyEndKeepsOldValues_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("inputMode");
        QTest::addColumn<int>("unitSystem");
        QTest::addColumn<int>("gasketInput");
        RaceFileContents race;
        race.inputMode = 4;
        race.unitSystem = 2;
        const QByteArray atMarker = QByteArray::fromStdString(SerializeRaceFile(race));
        QTest::newRow("magic only") << QByteArray("DNX-LQR*1.20\r\n") << 3 << 1 << 5;
        QTest::newRow("input mode only") << QByteArray("DNX-LQR*1.20\r\n 4 \r\n") << 4 << 1 << 5;
        QTest::newRow("ends at marker") << atMarker << 4 << 2 << 5;
        QTest::newRow("gasket input") << atMarker + " 9 \r\n" << 4 << 2 << 9;
        QByteArray beyond = atMarker + " 40000 \r\n";
        beyond.replace(" 4 \r\n 2 \r\n", "-40000 \r\n 40000 \r\n");
        QTest::newRow("beyond 16 bits") << beyond << 3 << 1 << 5;
    }

    void earlyEndKeepsOldValues()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, inputMode);
        QFETCH(int, unitSystem);
        QFETCH(int, gasketInput);
        const QString path = dir_->filePath("short.lqr");
        QVERIFY(writeBytes(str(path), str(bytes)));
        QCOMPARE(document_->readRaceFile(str(path)).status, RaceFileReadStatus::Read);
        QCOMPARE(int(document_->inputMode()), inputMode);
        QCOMPARE(int(document_->settings().unitSystem), unitSystem);
        QCOMPARE(int(document_->settings().gasketInput), gasketInput);
        // The cells and comment are the file's, however little it holds.
        QCOMPARE(document_->sheet().text(SideCell::TankCapacity), std::string());
        QCOMPARE(document_->sheet().text(150), std::string());
        QCOMPARE(document_->comment(), std::string());
        QCOMPARE(document_->currentFile().path(), str(path));
    }

    void failedWriteChangesNothing_data()
    {
        QTest::addColumn<QString>("target"); // below the out folder, which holds race.lqr
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("sizeLimit");
        QTest::newRow("parent folder missing") << "missing/race.lqr" << false << false;
        QTest::newRow("existing folder") << "sub" << false << false;
        QTest::newRow("disk refuses the bytes") << "race.lqr" << false << true;
        QTest::newRow("read-only folder") << "race.lqr" << true << false;
    }

    void failedWriteChangesNothing()
    {
        QFETCH(QString, target);
        QFETCH(bool, readOnly);
        QFETCH(bool, sizeLimit);
        const QString out = dir_->filePath("out");
        QVERIFY(QDir().mkpath(out + "/sub"));
        const std::string oldBytes = "the race as it was\r\n";
        QVERIFY(writeBytes(str(out + "/race.lqr"), oldBytes));
        // Permission bits do not stop root: the probe tells.
        if (readOnly && (::chmod(qPrintable(out), 0555) != 0 || writeBytes(str(out + "/p"), "")))
            QSKIP("permission bits do not stop this user's writes");
        document_->sheet().setText(142, "changed");
        document_->setComment("changed");
        const auto before = snapshotOf(*document_);
        const QStringList filesBefore = listing(out);

        // A file size limit makes the write fail after the temporary file
        // was made, even for root.
        rlimit fileSize{};
        getrlimit(RLIMIT_FSIZE, &fileSize);
        const rlimit unlimited = fileSize;
        fileSize.rlim_cur = sizeLimit ? 64 : fileSize.rlim_cur;
        std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &fileSize);
        const auto outcome = document_->writeRaceFile(str(out + "/" + target));
        setrlimit(RLIMIT_FSIZE, &unlimited);
        ::chmod(qPrintable(out), 0755);

        QVERIFY(!outcome.result.ok);
        QVERIFY(!outcome.result.reason.empty());
        QCOMPARE(readBytes(str(out + "/race.lqr")), oldBytes);
        QCOMPARE(listing(out), filesBefore);
        QVERIFY(snapshotOf(*document_) == before);
    }

    void writeReplacesAtomically()
    {
        const std::string path = str(dir_->filePath("lqrfiles/2003/race1.lqr"));
        QVERIFY(writeBytes(path, "the race as it was\r\n"));
        QCOMPARE(::chmod(path.c_str(), 0640), 0);
        document_->sheet().setText(142, "changed, with a comma");

        const RaceDocument::WriteOutcome outcome = document_->writeRaceFile(path);
        QVERIFY2(outcome.result.ok, outcome.result.reason.c_str());
        QCOMPARE(readBytes(path), SerializeRaceFile(document_->fileContents()));
        struct stat info;
        QCOMPARE(::stat(path.c_str(), &info), 0);
        QCOMPARE(info.st_mode & 07777, 0640u);
        QCOMPARE(listing(dir_->filePath("lqrfiles/2003")), QStringList{"race1.lqr"});
        QCOMPARE(document_->currentFile().path(), path);
        QCOMPARE(document_->currentFile().displayName(), std::string("2003/RACE1.LQR"));

        // Another document reading the file gets the same race.
        RaceDocument other(str(dir_->path()));
        QCOMPARE(other.readRaceFile(path).status, RaceFileReadStatus::Read);
        QVERIFY(other.sheet() == document_->sheet());
        QCOMPARE(other.comment(), document_->comment());
        QCOMPARE(other.inputMode(), document_->inputMode());
        QCOMPARE(other.settings().unitSystem, document_->settings().unitSystem);
    }

    void settingsFileUnitSystemReachesRaceFile()
    {
        QCOMPARE(document_->settingsPath(), str(dir_->filePath("KVCNFG.DNX")));
        QVERIFY(writeBytes(document_->settingsPath(), "1"));
        document_->startNew();
        document_->readSettings();
        QVERIFY(document_->settings() == (CarriedSettings{1, {0, 0, 0}, 0}));
        const std::string path = str(dir_->filePath("new.lqr"));
        QVERIFY(document_->writeRaceFile(path).result.ok);
        QCOMPARE(crlfLines(readBytes(path)).at(2), std::string(" 1 "));
    }

    void raceFileValuesReachSettingsFile()
    {
        QVERIFY(writeBytes(document_->settingsPath(), " 0 \r\n 4 \r\n-5 \r\n 6 \r\n 0 \r\n"));
        document_->readSettings();
        RaceFileContents race;
        race.unitSystem = 2;
        const std::string path = str(dir_->filePath("metric.lqr"));
        QVERIFY(writeBytes(path, SerializeRaceFile(race) + " 9 \r\n"));
        QCOMPARE(document_->readRaceFile(path).status, RaceFileReadStatus::Read);
        QVERIFY(document_->writeSettings().ok);
        QCOMPARE(readBytes(document_->settingsPath()),
                 std::string(" 2 \r\n 4 \r\n-5 \r\n 6 \r\n 9 \r\n"));

        // Without the file every value is 0 again.
        QVERIFY(QFile::remove(QString::fromStdString(document_->settingsPath())));
        document_->readSettings();
        QVERIFY(document_->settings() == CarriedSettings{});
    }

private:
    // The program folder, with a data folder holding known.lqr.
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<RaceDocument> document_;
};

QTEST_GUILESS_MAIN(RaceDocumentTest)
#include "tst_racedocument.moc"

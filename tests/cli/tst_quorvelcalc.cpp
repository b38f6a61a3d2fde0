// quorvel-calc as a script sees it: its output, its exit status, its messages.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run quorvelCalc(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(QUORVEL_CALC), arguments);
    process.waitForFinished(30000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

QString sample(const char *name)
{
    return QStringLiteral(QUORVEL_SAMPLES "/") + QLatin1String(name);
}

QByteArray workedExampleBytes()
{
    QFile file(sample("worked-example.lqr"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestQuorvelCalc : public QObject
{
    Q_OBJECT

private slots:
    void tableShowsTheWorkedResults();
    void jsonHasEveryKeyAndTheResults();
    void jsonMarksContradictionsAndTheCautionWarning();
    void recalculatedFileReadsBackTheSame();
    void refusals_data();
    void refusals();
    void everySampleRace();
};

void TestQuorvelCalc::tableShowsTheWorkedResults()
{
    const Run run = quorvelCalc({sample("worked-example.lqr")});
    QCOMPARE(run.exitCode, 0);
    const QString table = QString::fromUtf8(run.out);
    for (const char *expected : {"Race Lap MPG, entire race", "5.98", "137.7", "38.7", "38.6",
                                 "Current Projections", "worked example"})
        QVERIFY2(table.contains(QLatin1String(expected)), expected);
    // The hidden caution-lap-seconds field never shows.
    QVERIFY(!table.contains(QLatin1String("Avg Caution Lap")));
}

void TestQuorvelCalc::jsonHasEveryKeyAndTheResults()
{
    const Run run = quorvelCalc({QStringLiteral("--json"), sample("worked-example.lqr")});
    QCOMPARE(run.exitCode, 0);
    QJsonParseError error{};
    const QJsonObject json = QJsonDocument::fromJson(run.out, &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);

    QStringList keys = json.keys();
    keys.sort();
    QCOMPARE(keys,
             QStringList({"captionColors", "cautionUsageWarning", "cells", "colors", "comment",
                          "enabled", "gasketInput", "inputMode", "unitSystem", "visible"}));
    for (const char *array : {"cells", "visible", "enabled", "colors"})
        QCOMPARE(json.value(QLatin1String(array)).toArray().size(), 151);
    QCOMPARE(json.value("captionColors").toObject().size(), 29);
    QVERIFY(json.value("captionColors").toObject().contains(QStringLiteral("141")));

    const QJsonArray cells = json.value("cells").toArray();
    QCOMPARE(cells.at(141).toString(), QStringLiteral("38.7"));
    QCOMPARE(cells.at(140).toString(), QStringLiteral("38.6"));
    QCOMPARE(cells.at(2 * 19 + 16).toString(), QStringLiteral("7.8"));
    const QJsonArray visible = json.value("visible").toArray();
    QVERIFY(!visible.at(14).toBool());
    QVERIFY(!visible.at(2 * 19 + 1).toBool()); // gallons mode at the 2nd Pit
    QVERIFY(!visible.at(137).toBool());
    QVERIFY(json.value("enabled").toArray().at(2 * 19 + 6).toBool());
    QVERIFY(!json.value("enabled").toArray().at(19 + 6).toBool());
    QCOMPARE(json.value("cautionUsageWarning").toBool(true), false);
    QVERIFY(json.value("comment").toString().contains(QLatin1String("\r\n")));
}

void TestQuorvelCalc::jsonMarksContradictionsAndTheCautionWarning()
{
    QTemporaryDir dir;
    QByteArray bytes = workedExampleBytes();
    // Caution usage 25 %, and the 2nd Pit's lap number behind the 1st.
    QList<QByteArray> lines = bytes.split('\n');
    lines[3 + 135] = "25\r";
    lines[3 + 2 * 19 + 7] = "30\r";
    lines[3 + 132] = "\r";
    const QString path = dir.filePath(QStringLiteral("odd race"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(lines.join('\n'));
    file.close();

    const Run run = quorvelCalc({QStringLiteral("--json"), path});
    QCOMPARE(run.exitCode, 0);
    const QJsonObject json = QJsonDocument::fromJson(run.out).object();
    QCOMPARE(json.value("cautionUsageWarning").toBool(), true);
    QCOMPARE(json.value("colors").toArray().at(2 * 19 + 7).toString(),
             QStringLiteral("light-magenta"));
    QCOMPARE(json.value("colors").toArray().at(19 + 7).toString(), QStringLiteral("black"));
    QCOMPARE(json.value("captionColors").toObject().value("132").toString(),
             QStringLiteral("magenta"));
    QCOMPARE(json.value("captionColors").toObject().value("133").toString(),
             QStringLiteral("black"));

    const Run table = quorvelCalc({path});
    QVERIFY(table.out.contains("should be between 30% to 100%"));
    QVERIFY(table.out.contains("30!"));
}

void TestQuorvelCalc::recalculatedFileReadsBackTheSame()
{
    QTemporaryDir dir;
    const Run first = quorvelCalc({QStringLiteral("--recalculated"), sample("worked-example.lqr")});
    QCOMPARE(first.exitCode, 0);
    QVERIFY(first.out.startsWith("DNX-LQR*1.20\r\n 0 \r\n 0 \r\n"));
    QVERIFY(first.out.endsWith("\r\n-9999\r\n"));
    // The results are filled in, the entries untouched.
    const QList<QByteArray> lines = first.out.split('\n');
    QCOMPARE(lines.at(3 + 141), QByteArray("38.7\r"));
    QCOMPARE(lines.at(3 + 132), QByteArray("22\r"));

    const QString path = dir.filePath(QStringLiteral("again.lqr"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(first.out);
    file.close();
    const Run second = quorvelCalc({QStringLiteral("--recalculated"), path});
    QCOMPARE(second.out, first.out);
}

void TestQuorvelCalc::refusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("fileBytes");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    const QString file = QStringLiteral("@file");
    QTest::newRow("not a race file") << QStringList{file} << QByteArray("hello\r\n") << 1
                                     << "This is not a Quorvel file and can not be used.\n";
    QTest::newRow("magic in other letter case")
        << QStringList{QStringLiteral("--json"), file} << QByteArray("dnx-lqr*1.20\r\n") << 1
        << "This is not a Quorvel file and can not be used.\n";
    QTest::newRow("empty file") << QStringList{file} << QByteArray() << 1
                                << "This is not a Quorvel file and can not be used.\n";
    QTest::newRow("missing file") << QStringList{QStringLiteral("@missing")} << QByteArray() << 1
                                  << "no such race";
    QTest::newRow("no file") << QStringList{} << QByteArray() << 2 << "Usage:";
    QTest::newRow("unknown option")
        << QStringList{QStringLiteral("--csv"), file} << QByteArray() << 2 << "Usage:";
    QTest::newRow("two files") << QStringList{file, file} << QByteArray() << 2 << "Usage:";
    QTest::newRow("two outputs") << QStringList{QStringLiteral("--json"),
                                                QStringLiteral("--recalculated"), file}
                                 << QByteArray() << 2 << "Usage:";
}

void TestQuorvelCalc::refusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, fileBytes);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("race.lqr"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(fileBytes);
    file.close();
    arguments.replaceInStrings(QStringLiteral("@file"), path);
    arguments.replaceInStrings(QStringLiteral("@missing"),
                               dir.filePath(QStringLiteral("no such race")));

    const Run run = quorvelCalc(arguments);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY(run.out.isEmpty());
    const QString err = QString::fromUtf8(run.err);
    if (exitCode == 1 && message.endsWith(QLatin1Char('\n')))
        QCOMPARE(err, message);
    else
        QVERIFY2(err.contains(message), qPrintable(err));
}

void TestQuorvelCalc::everySampleRace()
{
    const QStringList races = QDir(QStringLiteral(QUORVEL_SAMPLES)).entryList(QDir::Files);
    QVERIFY(races.size() >= 2);
    for (const QString &race : races) {
        const Run run = quorvelCalc({QStringLiteral("--json"), sample(race.toUtf8().constData())});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(!QJsonDocument::fromJson(run.out).isNull());
    }
}

QTEST_GUILESS_MAIN(TestQuorvelCalc)
#include "tst_quorvelcalc.moc"

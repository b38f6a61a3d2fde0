#include "RecalculateSheet.h"

#include <QTest>

#include <initializer_list>
#include <utility>

using namespace quorvel;

namespace {

using Entries = std::initializer_list<std::pair<int, const char *>>;

RaceSheet sheetWith(Entries entries)
{
    RaceSheet sheet;
    for (const auto &[cell, text] : entries)
        sheet.setText(cell, text);
    return sheet;
}

constexpr int H = 0;  // "H Hour"
constexpr int P1 = 1; // "1st Pit"
constexpr int P2 = 2;
constexpr int P3 = 3;

int at(int column, Row row)
{
    return GridCell(column, row);
}

// Car and track data every race case below shares unless it says otherwise.
const Entries Track = {{SideCell::TankCapacity, "22"},
                       {SideCell::FuelSpecGravity, "0.72"},
                       {SideCell::LapLength, "2.5"},
                       {SideCell::CautionLapUsage, "50"},
                       {SideCell::PreRaceLaps, "3"}};

RaceSheet workedExampleSheet()
{
    RaceSheet sheet = sheetWith(Track);
    for (const auto &[cell, text] : Entries{{at(H, Row::Can1WeightBefore), "100"},
                                            {at(H, Row::Can1WeightAfter), "10"},
                                            {at(H, Row::Can2WeightBefore), "40"},
                                            {at(H, Row::Can2WeightAfter), "10"},
                                            {at(H, Row::LapNumber), "0"},
                                            {at(H, Row::RaceCautionLaps), "0"},
                                            {at(P1, Row::Can1WeightBefore), "130"},
                                            {at(P1, Row::Can1WeightAfter), "30"},
                                            {at(P1, Row::LapNumber), "40"},
                                            {at(P1, Row::RaceCautionLaps), "6"},
                                            {at(P2, Row::Can1Number), "-99"},
                                            {at(P2, Row::GallonsAdded), "18"},
                                            {at(P2, Row::LapNumber), "85"},
                                            {at(P2, Row::RaceCautionLaps), "10"},
                                            {SideCell::CurrentLap, "100"},
                                            {SideCell::CurrentCautionLaps, "12"}})
        sheet.setText(cell, text);
    return sheet;
}

bool isMagenta(const RaceSheet &sheet, int cell)
{
    return sheet.cell(cell).colour == TextColour::LightMagenta;
}

} // namespace

class TestRecalculate : public QObject
{
    Q_OBJECT

private slots:
    void workedExample_data();
    void workedExample();
    void workedExampleDisplayState();
    void emptySheet();
    void cautionUsageRange_data();
    void cautionUsageRange();
    void contradictoryCans();
    void negativeFillLowersLaterRaceMileage();
    void fuelCancellingToZeroLeavesRaceMileageBlank();
    void gallonsModeWithoutGallons();
    void gallonsModeSwitchesBack();
    void equalLapNumbersKeepTheEarlierStop();
    void lapGoingBackwards();
    void currentLapBehindLastPit();
    void currentCautionBehindLastPit();
    void staleResultsAreClearedWhenLapLengthGoes();
    void lastStopProjectsIntoHiddenCell();
    void entriesAreNeverRewritten();
    void recalculatingTwiceChangesNothing();
    void hugeEntriesNeverShowInfinity();
    void lapNumbersBeyondSixteenBits();
};

void TestRecalculate::workedExample_data()
{
    QTest::addColumn<int>("cell");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char *name, int column, Row r, const char *text) {
        QTest::newRow(name) << at(column, r) << QString::fromLatin1(text);
    };
    row("H gallons", H, Row::GallonsAdded, "20.01");
    row("H actual miles", H, Row::ActualMilesSincePit, "");
    row("H corrected miles", H, Row::CorrMilesSincePit, "");
    row("H stint mpg", H, Row::CorrMpgSincePit, "0.00");
    row("H race mpg", H, Row::CorrMpgRace, "0.00");
    row("H actual race mpg", H, Row::ActualMpgRace, "0.00");
    row("H actual spare", H, Row::ActualSpareLaps, "0.0");
    row("H laps per gallon", H, Row::ActualLapsPerGal, ".00");
    row("1st gallons", P1, Row::GallonsAdded, "16.67");
    row("1st actual miles", P1, Row::ActualMilesSincePit, "107.50");
    row("1st corrected miles", P1, Row::CorrMilesSincePit, "96.25");
    row("1st stint mpg", P1, Row::CorrMpgSincePit, "5.77");
    row("1st race mpg", P1, Row::CorrMpgRace, "5.77");
    row("1st actual race mpg", P1, Row::ActualMpgRace, "6.45");
    row("1st must pit (from H Hour)", P1, Row::MustPitBeforeLap, "0.0");
    row("1st actual spare", P1, Row::ActualSpareLaps, "12.3");
    row("1st est spare (H Hour mpg is 0)", P1, Row::EstSpareLaps, "");
    row("1st spare error", P1, Row::SpareLapsError, "");
    row("1st laps per gallon", P1, Row::ActualLapsPerGal, "2.58");
    row("2nd gallons as typed", P2, Row::GallonsAdded, "18");
    row("2nd actual miles", P2, Row::ActualMilesSincePit, "112.50");
    row("2nd corrected miles", P2, Row::CorrMilesSincePit, "107.50");
    row("2nd stint mpg", P2, Row::CorrMpgSincePit, "5.97");
    row("2nd race mpg", P2, Row::CorrMpgRace, "5.98");
    row("2nd actual race mpg", P2, Row::ActualMpgRace, "6.34");
    row("2nd must pit", P2, Row::MustPitBeforeLap, "90.8");
    row("2nd actual spare", P2, Row::ActualSpareLaps, "9.6");
    row("2nd est spare", P2, Row::EstSpareLaps, "7.8");
    row("2nd spare error", P2, Row::SpareLapsError, "1.8");
    row("2nd laps per gallon", P2, Row::ActualLapsPerGal, "2.54");
    row("3rd must pit", P3, Row::MustPitBeforeLap, "137.7");
    row("3rd gallons", P3, Row::GallonsAdded, "");
    row("3rd stint mpg", P3, Row::CorrMpgSincePit, "");
    QTest::newRow("laps left at race mpg") << int(SideCell::EstLapsEntireRace) << "38.7";
    QTest::newRow("laps left at last stint mpg") << int(SideCell::EstLapsLastPit) << "38.6";
}

void TestRecalculate::workedExample()
{
    QFETCH(int, cell);
    QFETCH(QString, expected);
    RaceSheet sheet = workedExampleSheet();
    QVERIFY(!RecalculateSheet(sheet).cautionUsageOutOfRange);
    QCOMPARE(QString::fromStdString(sheet.text(cell)), expected);
}

void TestRecalculate::workedExampleDisplayState()
{
    RaceSheet sheet = workedExampleSheet();
    (void)RecalculateSheet(sheet);
    for (const Row r : {Row::Can1WeightBefore, Row::Can1WeightAfter, Row::Can2Number,
                        Row::Can2WeightBefore, Row::Can2WeightAfter}) {
        QVERIFY(!sheet.cell(at(P2, r)).visible);
        QVERIFY(sheet.cell(at(P1, r)).visible);
    }
    QVERIFY(sheet.cell(at(P2, Row::GallonsAdded)).enabled);
    QVERIFY(!sheet.cell(at(P1, Row::GallonsAdded)).enabled);
    for (const Row r : {Row::MustPitBeforeLap, Row::EstSpareLaps, Row::SpareLapsError})
        QVERIFY(!sheet.cell(at(H, r)).visible);
    for (const int required : {132, 133, 134, 135})
        QCOMPARE(sheet.captionColour(required), CaptionColour::Black);
    QVERIFY(!isMagenta(sheet, SideCell::CurrentLap));
    QVERIFY(!isMagenta(sheet, at(P2, Row::LapNumber)));
}

void TestRecalculate::emptySheet()
{
    RaceSheet sheet;
    sheet.setText(at(H, Row::EstSpareLaps), "kept");
    QVERIFY(!RecalculateSheet(sheet).cautionUsageOutOfRange);
    for (const int required : {132, 133, 134, 135})
        QCOMPARE(sheet.captionColour(required), CaptionColour::Magenta);
    QCOMPARE(sheet.captionColour(SideCell::PreRaceLaps), CaptionColour::Black);
    for (int i = 0; i < CellCount; ++i) {
        if (i == at(H, Row::EstSpareLaps))
            continue;
        QVERIFY2(sheet.text(i).empty(), qPrintable(QString::number(i)));
    }
    // The start column never has an estimate: whatever a file put there stays.
    QCOMPARE(sheet.text(at(H, Row::EstSpareLaps)), std::string("kept"));
}

void TestRecalculate::cautionUsageRange_data()
{
    QTest::addColumn<QString>("usage");
    QTest::addColumn<bool>("warned");
    QTest::newRow("25") << "25" << true;
    QTest::newRow("30 exactly") << "30" << false;
    QTest::newRow("100 exactly") << "100" << false;
    QTest::newRow("100.5") << "100.5" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("blanks") << "   " << false;
    QTest::newRow("a word counts as 0") << "half" << true;
}

void TestRecalculate::cautionUsageRange()
{
    QFETCH(QString, usage);
    QFETCH(bool, warned);
    RaceSheet sheet = workedExampleSheet();
    sheet.setText(SideCell::CautionLapUsage, usage.toStdString());
    QCOMPARE(RecalculateSheet(sheet).cautionUsageOutOfRange, warned);
    // Warned or not, every run works the sheet out with the value as typed.
    QCOMPARE(RecalculateSheet(sheet).cautionUsageOutOfRange, warned);
    QVERIFY(!sheet.text(SideCell::EstLapsEntireRace).empty());
}

void TestRecalculate::contradictoryCans()
{
    RaceSheet sheet = workedExampleSheet();
    // Second can of the start weighed the same before and after.
    sheet.setText(at(H, Row::Can2WeightAfter), "40");
    (void)RecalculateSheet(sheet);
    QVERIFY(isMagenta(sheet, at(H, Row::Can2WeightBefore)));
    QVERIFY(isMagenta(sheet, at(H, Row::Can2WeightAfter)));
    QVERIFY(!isMagenta(sheet, at(H, Row::Can1WeightBefore)));
    QCOMPARE(sheet.text(at(H, Row::GallonsAdded)), std::string("15.01")); // 90 lbs only

    // Once the can is no longer fully weighed there is nothing to flag.
    sheet.setText(at(H, Row::Can2WeightAfter), "");
    (void)RecalculateSheet(sheet);
    QVERIFY(!isMagenta(sheet, at(H, Row::Can2WeightBefore)));
}

void TestRecalculate::negativeFillLowersLaterRaceMileage()
{
    RaceSheet sheet = workedExampleSheet();
    // 1st Pit weighed the wrong way round: -100 lbs.
    sheet.setText(at(P1, Row::Can1WeightBefore), "30");
    sheet.setText(at(P1, Row::Can1WeightAfter), "130");
    (void)RecalculateSheet(sheet);
    QVERIFY(isMagenta(sheet, at(P1, Row::Can1WeightBefore)));
    QCOMPARE(sheet.text(at(P1, Row::GallonsAdded)), std::string());
    QCOMPARE(sheet.text(at(P1, Row::CorrMpgRace)), std::string());
    // 2nd Pit: 207.5 corrected race miles over 18 - 16.67 gallons.
    const double gallons = 18 - 100 / 5.9976;
    QCOMPARE(sheet.text(at(P2, Row::CorrMpgRace)),
             FormatNumber(207.5 / gallons, NumberFormat::TwoDecimals));
}

void TestRecalculate::fuelCancellingToZeroLeavesRaceMileageBlank()
{
    RaceSheet sheet = sheetWith(Track);
    for (const auto &[cell, text] : Entries{{at(P1, Row::Can1Number), "-99"},
                                            {at(P1, Row::GallonsAdded), "-5"},
                                            {at(P1, Row::LapNumber), "10"},
                                            {at(P2, Row::Can1Number), "-99"},
                                            {at(P2, Row::GallonsAdded), "5"},
                                            {at(P2, Row::LapNumber), "20"}})
        sheet.setText(cell, text);
    (void)RecalculateSheet(sheet);
    QCOMPARE(sheet.text(at(P2, Row::CorrMpgSincePit)), std::string("5.00"));
    for (const Row r :
         {Row::CorrMpgRace, Row::ActualMpgRace, Row::ActualSpareLaps, Row::ActualLapsPerGal})
        QCOMPARE(sheet.text(at(P2, r)), std::string());
    QCOMPARE(sheet.text(at(P3, Row::MustPitBeforeLap)), std::string());
}

void TestRecalculate::gallonsModeWithoutGallons()
{
    RaceSheet sheet = workedExampleSheet();
    (void)RecalculateSheet(sheet);
    sheet.setText(at(P2, Row::GallonsAdded), "");
    (void)RecalculateSheet(sheet);
    for (const Row r : {Row::CorrMpgSincePit, Row::CorrMpgRace, Row::ActualMpgRace,
                        Row::ActualSpareLaps, Row::EstSpareLaps, Row::SpareLapsError})
        QVERIFY2(sheet.text(at(P2, r)).empty(), qPrintable(QString::number(int(r))));
    QCOMPARE(sheet.text(at(P3, Row::MustPitBeforeLap)), std::string());
    // Miles are still known without fuel.
    QCOMPARE(sheet.text(at(P2, Row::ActualMilesSincePit)), std::string("112.50"));
    // The projections fall back on the 1st Pit, the last stop with a mileage.
    QVERIFY(!sheet.text(SideCell::EstLapsEntireRace).empty());
}

void TestRecalculate::gallonsModeSwitchesBack()
{
    RaceSheet sheet = workedExampleSheet();
    (void)RecalculateSheet(sheet);
    sheet.setText(at(P2, Row::Can1Number), "7");
    (void)RecalculateSheet(sheet);
    QVERIFY(sheet.cell(at(P2, Row::Can1WeightBefore)).visible);
    QVERIFY(sheet.cell(at(P2, Row::Can2Number)).visible);
    QVERIFY(!sheet.cell(at(P2, Row::GallonsAdded)).enabled);
    // The typed 18 gives way to the (empty) can weights.
    QCOMPARE(sheet.text(at(P2, Row::GallonsAdded)), std::string());
}

void TestRecalculate::equalLapNumbersKeepTheEarlierStop()
{
    RaceSheet sheet = workedExampleSheet();
    // A 3rd Pit on the same lap as the 2nd, with a very different fill.
    for (const auto &[cell, text] : Entries{{at(P3, Row::Can1Number), "-99"},
                                            {at(P3, Row::GallonsAdded), "2"},
                                            {at(P3, Row::LapNumber), "85"},
                                            {at(P3, Row::RaceCautionLaps), "10"}})
        sheet.setText(cell, text);
    (void)RecalculateSheet(sheet);
    QVERIFY(!sheet.text(at(P3, Row::CorrMpgRace)).empty());
    QCOMPARE(sheet.text(SideCell::EstLapsEntireRace), std::string("38.7"));
    QCOMPARE(sheet.text(SideCell::EstLapsLastPit), std::string("38.6"));
}

void TestRecalculate::lapGoingBackwards()
{
    RaceSheet sheet = workedExampleSheet();
    sheet.setText(at(P2, Row::LapNumber), "30");
    sheet.setText(at(P2, Row::RaceCautionLaps), "6");
    (void)RecalculateSheet(sheet);
    QVERIFY(isMagenta(sheet, at(P2, Row::LapNumber)));
    QVERIFY(!isMagenta(sheet, at(P2, Row::RaceCautionLaps)));
    QCOMPARE(sheet.text(at(P2, Row::ActualMilesSincePit)), std::string());
    QCOMPARE(sheet.text(at(P2, Row::CorrMilesSincePit)), std::string());

    sheet.setText(at(P2, Row::RaceCautionLaps), "5");
    (void)RecalculateSheet(sheet);
    QVERIFY(isMagenta(sheet, at(P2, Row::RaceCautionLaps)));
}

void TestRecalculate::currentLapBehindLastPit()
{
    RaceSheet sheet = workedExampleSheet();
    sheet.setText(SideCell::CurrentLap, "84");
    (void)RecalculateSheet(sheet);
    QVERIFY(isMagenta(sheet, SideCell::CurrentLap));
    QCOMPARE(sheet.text(SideCell::EstLapsLastPit), std::string());
    QCOMPARE(sheet.text(SideCell::EstLapsEntireRace), std::string());

    sheet.setText(SideCell::CurrentLap, "85");
    (void)RecalculateSheet(sheet);
    QVERIFY(!isMagenta(sheet, SideCell::CurrentLap));
    QVERIFY(!sheet.text(SideCell::EstLapsEntireRace).empty());
}

void TestRecalculate::currentCautionBehindLastPit()
{
    RaceSheet sheet = workedExampleSheet();
    // The 2nd Pit saw 10 caution laps; the pre-race laps are allowed for.
    sheet.setText(SideCell::CurrentCautionLaps, "7");
    (void)RecalculateSheet(sheet);
    QVERIFY(!isMagenta(sheet, SideCell::CurrentCautionLaps));
    sheet.setText(SideCell::CurrentCautionLaps, "6");
    (void)RecalculateSheet(sheet);
    QVERIFY(isMagenta(sheet, SideCell::CurrentCautionLaps));
    QCOMPARE(sheet.text(SideCell::EstLapsLastPit), std::string());
}

void TestRecalculate::staleResultsAreClearedWhenLapLengthGoes()
{
    RaceSheet sheet = workedExampleSheet();
    (void)RecalculateSheet(sheet);
    QVERIFY(!sheet.text(at(P2, Row::EstSpareLaps)).empty());
    sheet.setText(SideCell::LapLength, "");
    (void)RecalculateSheet(sheet);
    for (int i = 0; i < CellCount; ++i) {
        const bool derived =
            IsSideCell(i) ? i >= SideCell::EstLapsLastPit
                          : IsGridCell(i) && (i % RowsPerColumn) >= 9 && (i % RowsPerColumn) != 11;
        if (derived)
            QVERIFY2(sheet.text(i).empty(), qPrintable(QString::number(i)));
    }
    QCOMPARE(sheet.captionColour(SideCell::LapLength), CaptionColour::Magenta);
}

void TestRecalculate::lastStopProjectsIntoHiddenCell()
{
    RaceSheet sheet = sheetWith(Track);
    for (int column = 0; column < ColumnCount; ++column) {
        sheet.setText(at(column, Row::Can1Number), "-99");
        sheet.setText(at(column, Row::GallonsAdded), "18");
        sheet.setText(at(column, Row::LapNumber), std::to_string(column * 40).c_str());
        sheet.setText(at(column, Row::RaceCautionLaps), "0");
    }
    (void)RecalculateSheet(sheet);
    QVERIFY(!sheet.cell(MustPitAfterLastStopCell).visible);
    // Lap 200 + 22 gallons at 203 race laps * 2.5 mi / 90 gallons.
    QCOMPARE(sheet.text(MustPitAfterLastStopCell), std::string("249.6"));
    sheet.setText(at(5, Row::GallonsAdded), "");
    (void)RecalculateSheet(sheet);
    QCOMPARE(sheet.text(MustPitAfterLastStopCell), std::string());
}

void TestRecalculate::entriesAreNeverRewritten()
{
    RaceSheet sheet = workedExampleSheet();
    sheet.setText(SideCell::TankCapacity, " 22.0 gal");
    sheet.setText(at(P1, Row::LapNumber), "40.");
    sheet.setText(at(P2, Row::GallonsAdded), "18.000");
    const RaceSheet before = sheet;
    (void)RecalculateSheet(sheet);
    for (int i = 0; i < CellCount; ++i) {
        const int row = i % RowsPerColumn;
        const bool entry = IsGridCell(i)
                               ? row <= 5 || row == 7 || row == 8
                               : i >= SideCell::TankCapacity && i <= SideCell::CurrentCautionLaps;
        if (entry)
            QCOMPARE(sheet.text(i), before.text(i));
    }
    QCOMPARE(sheet.text(at(P2, Row::GallonsAdded)), std::string("18.000"));
}

void TestRecalculate::recalculatingTwiceChangesNothing()
{
    RaceSheet sheet = workedExampleSheet();
    (void)RecalculateSheet(sheet);
    const RaceSheet once = sheet;
    (void)RecalculateSheet(sheet);
    QVERIFY(sheet == once);
}

void TestRecalculate::hugeEntriesNeverShowInfinity()
{
    RaceSheet sheet = workedExampleSheet();
    sheet.setText(SideCell::TankCapacity, "1e308");
    sheet.setText(SideCell::LapLength, "1e-300");
    sheet.setText(SideCell::FuelSpecGravity, "1e-320");
    sheet.setText(at(P1, Row::LapNumber), "1e308");
    (void)RecalculateSheet(sheet);
    for (int i = 0; i < CellCount; ++i) {
        const QString text = QString::fromStdString(sheet.text(i)).toLower();
        QVERIFY2(!text.contains(QLatin1String("inf")) && !text.contains(QLatin1String("nan")),
                 qPrintable(QString::number(i) + QLatin1Char(' ') + text));
    }
}

void TestRecalculate::lapNumbersBeyondSixteenBits()
{
    RaceSheet sheet = workedExampleSheet();
    sheet.setText(at(P2, Row::LapNumber), "40045");
    sheet.setText(SideCell::CurrentLap, "40060");
    (void)RecalculateSheet(sheet);
    QVERIFY(!isMagenta(sheet, SideCell::CurrentLap));
    QVERIFY(!sheet.text(SideCell::EstLapsEntireRace).empty());
}

QTEST_APPLESS_MAIN(TestRecalculate)
#include "tst_recalculate.moc"

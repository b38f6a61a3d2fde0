#include "CellNumber.h"
#include "NumberFormat.h"
#include "RecalculateSheet.h"
#include "WorkedExample.h"

#include <QTest>

#include <cmath>
#include <vector>

using namespace quorvel;
using namespace quorvel::SideCell;
using enum Row;
using test::CellText;
using Entries = std::vector<CellText>;
Q_DECLARE_METATYPE(Entries)
Q_DECLARE_METATYPE(quorvel::NumberFormat)

namespace {

// Column 0 is "H Hour", 1 to 5 are the pit stops.
constexpr int at(int column, Row row)
{
    return GridCell(column, row);
}
constexpr int Lap2 = at(2, LapNumber), Caution2 = at(2, RaceCautionLaps);
constexpr int Lap3 = at(3, LapNumber), Caution3 = at(3, RaceCautionLaps);

Entries cells()
{
    return {};
}
template <typename... More> Entries cells(int cell, const char *text, More... more)
{
    Entries entries = cells(more...);
    entries.insert(entries.begin(), {cell, text});
    return entries;
}

} // namespace

class TestSheet : public QObject
{
    Q_OBJECT

private slots:
    // The worked example recalculated, then the entries typed over it and
    // recalculated again: the results, the cells in light magenta (all others
    // black), the columns in gallons mode and the caution-usage warning. The
    // worked example's empty 3rd Pit reads as lap 0 and caution 0 after lap 85
    // and caution 10: magenta, though empty.
    void recalculation_data()
    {
        QTest::addColumn<Entries>("entries");
        QTest::addColumn<Entries>("expected");
        QTest::addColumn<QList<int>>("magenta");
        QTest::addColumn<QList<int>>("gallonsColumns");
        QTest::addColumn<bool>("warned");
        const auto row = [](const char *name, Entries entries, Entries expected, QList<int> magenta,
                            QList<int> gallons = {2}, bool warned = false) {
            QTest::newRow(name) << entries << expected << magenta << gallons << warned;
        };
        row("worked example", {},
            {test::WorkedExampleResults.begin(), test::WorkedExampleResults.end()},
            {Lap3, Caution3});
        Entries everyCell;
        for (int cell = 0; cell < CellCount; ++cell)
            everyCell.push_back({cell, ""});
        row("empty sheet", everyCell, {}, {}, {});
        row("huge entries",
            cells(TankCapacity, "1e308", LapLength, "1e-300", FuelSpecGravity, "1e-320",
                  at(1, LapNumber), "1e308"),
            {}, {Lap2, Lap3, Caution3, CurrentLap});
        row("cans after equal to before", cells(1, "100", 2, "100", 4, "40", 5, "40"),
            cells(at(0, GallonsAdded), ""), {1, 2, 4, 5, Lap3, Caution3});
        // The 1st Pit's 100 lbs taken out lower the 2nd Pit's race mileage.
        row("cans after above before", cells(4, "10", 5, "40", 20, "30", 21, "130"),
            cells(at(0, GallonsAdded), "10.00", at(1, GallonsAdded), "", at(1, CorrMpgRace), "",
                  at(2, CorrMpgRace), "156.41"),
            {4, 5, 20, 21, Lap3, Caution3});
        row("lap number going backwards", cells(Lap2, "30", Caution2, "6"),
            cells(at(2, ActualMilesSincePit), ""), {Lap2, Lap3, Caution3});
        row("caution count going backwards", cells(Caution2, "5"), {}, {Caution2, Lap3, Caution3});
        row("equal lap numbers keep the earlier stop",
            cells(at(3, Can1Number), "-99", at(3, GallonsAdded), "2", Lap3, "85", Caution3, "10"),
            cells(at(3, CorrMpgRace), "5.66", EstLapsLastPit, "38.6", EstLapsEntireRace, "38.7"),
            {at(4, LapNumber), at(4, RaceCautionLaps)}, {2, 3});
        // Lap numbers beyond 16 bits compare as they are.
        row("current lap behind the furthest pit", cells(Lap2, "40045", CurrentLap, "40044"),
            cells(EstLapsLastPit, "", EstLapsEntireRace, ""), {CurrentLap, Lap3, Caution3});
        row("current lap at the furthest pit", cells(CurrentLap, "85"),
            cells(EstLapsEntireRace, "53.7"), {Lap3, Caution3});
        // The 2nd Pit's 10 caution laps less the 3 pre-race laps; the 1st Pit
        // counts the pre-race laps as caution laps: 6 + 3 - 3.
        row("current caution behind the furthest pit's", cells(CurrentCautionLaps, "6"),
            cells(EstLapsLastPit, "", EstLapsEntireRace, ""), {CurrentCautionLaps, Lap3, Caution3});
        // 8 is not behind the 2nd Pit's 10 less the 3 pre-race laps: an ordinary race.
        row("current caution within the pre-race laps", cells(CurrentCautionLaps, "8"),
            cells(EstLapsLastPit, "36.6", EstLapsEntireRace, "36.7"), {Lap3, Caution3});
        row("current caution behind the 1st Pit's",
            cells(Lap2, "", Caution2, "", CurrentCautionLaps, "5"),
            cells(EstLapsLastPit, "", EstLapsEntireRace, ""), {Lap2, Caution2, CurrentCautionLaps});
        // The projections then start from lap 85 with the 1st Pit's mileages.
        row("gallons mode without gallons", cells(at(2, GallonsAdded), ""),
            cells(at(2, ActualMilesSincePit), "112.50", EstLapsEntireRace, "36.8",
                  at(2, CorrMpgSincePit), "", at(2, CorrMpgRace), "", at(2, ActualSpareLaps), "",
                  at(3, MustPitBeforeLap), ""),
            {Lap3, Caution3});
        row("no lap length", cells(LapLength, ""),
            cells(at(2, ActualMilesSincePit), "", at(2, CorrMpgRace), "", at(2, SpareLapsError), "",
                  at(2, ActualLapsPerGal), "", at(3, MustPitBeforeLap), "", EstLapsLastPit, ""),
            {Lap3, Caution3});
        // The 2nd Pit's can number over a can of 130 and 30 lbs.
        row("gallons mode",
            cells(at(2, Can1Number), " - 99.0 cans", at(2, Can1WeightBefore), "130",
                  at(2, Can1WeightAfter), "30"),
            cells(at(2, GallonsAdded), "18"), {Lap3, Caution3});
        for (const char *const usage : {"25", "100.5", "half"})
            row(usage, cells(CautionLapUsage, usage), {}, {Lap3, Caution3}, {2}, true);
        for (const char *const usage : {"30", "100", "   "})
            row(usage, cells(CautionLapUsage, usage), {}, {Lap3, Caution3}, {2}, false);
        // Fuel taken out at the 1st Pit and put back at the 2nd: nothing to
        // divide the race mileage by.
        row("fuel cancelling to exactly zero",
            cells(at(1, Can1Number), "-99", at(1, GallonsAdded), "-18"),
            cells(at(2, CorrMpgSincePit), "5.97", at(2, CorrMpgRace), "", at(2, ActualSpareLaps),
                  "", at(3, MustPitBeforeLap), "", EstLapsLastPit, "", EstLapsEntireRace, ""),
            {Lap3, Caution3}, {1, 2});
        row("5th Pit projects into cell 128",
            cells(at(5, Can1Number), "-99", at(5, GallonsAdded), "18", at(5, LapNumber), "40"),
            cells(MustPitAfterLastStopCell, "58.0"), {Lap3, Caution3}, {2, 5});
    }

    // A cell's text read as a number, then shown with a pattern: blanks
    // anywhere are ignored, reading stops at what does not fit, halves go
    // away from zero, and a value that shows as zero never shows a minus.
    void numberRules_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<NumberFormat>("format");
        QTest::addColumn<QString>("shown");
        // A format, then each typed text followed by what it shows.
        const auto rows = [](NumberFormat format, std::initializer_list<const char *> pairs) {
            for (auto typed = pairs.begin(); typed != pairs.end(); typed += 2) {
                const QByteArray tag = QByteArray(*typed).replace('\t', "\\t").replace('\n', "\\n");
                QTest::addRow("%s as %s", tag.constData(), typed[1])
                    << QString::fromLatin1(*typed) << format << QString::fromLatin1(typed[1]);
            }
        };
        using enum NumberFormat;
        rows(TwoDecimals,
             {"",       "0.00",   "4.567",  "4.57", "123.5",     "123.50", "0.125", "0.13", //
              "-0.125", "-0.13",  "-0.004", "0.00", " 1 2 . 5 ", "12.50",                   //
              "1 e 2",  "100.00", "1.50x",  "1.50", "x1",        "0.00"});
        rows(OneDecimal,
             {"",      "0.0",  "87.26", "87.3", "-3.04",    "-3.0",  "0.25",     "0.3", //
              "-0.25", "-0.3", "-0.04", "0.0",  "\t-\n9 9", "-99.0", "1.5 laps", "1.5", //
              "12,5",  "12.0", "1.2.3", "1.2",  "--1",      "0.0"});
        rows(TwoDecimalsNoLeadingZero,
             {"", ".00", "0.456", ".46", "2.456", "2.46", "0.999", "1.00", //
              "0.004", ".00", "-0.001", ".00"});
    }
    void numberRules()
    {
        QFETCH(QString, typed);
        QFETCH(NumberFormat, format);
        QTEST(QString::fromStdString(FormatNumber(CellNumber(typed.toStdString()), format)),
              "shown");
    }

    void recalculation()
    {
        QFETCH(Entries, entries);
        QFETCH(Entries, expected);
        QFETCH(QList<int>, magenta);
        QFETCH(QList<int>, gallonsColumns);
        QFETCH(bool, warned);
        RaceSheet sheet;
        test::FillWorkedExample(sheet);
        (void)RecalculateSheet(sheet);
        for (const CellText &entry : entries)
            sheet.setText(entry.cell, entry.text);
        // Every colour the calculation decides starts magenta: none may be left over.
        QList<int> coloured = {CurrentLap, CurrentCautionLaps};
        for (int cell = 0; cell < ColumnCount * RowsPerColumn; ++cell) {
            if (QList<int>{1, 2, 4, 5, 7, 8}.contains(cell % RowsPerColumn))
                coloured.append(cell);
        }
        for (const int cell : coloured)
            sheet.setColour(cell, TextColour::LightMagenta);
        QCOMPARE(RecalculateSheet(sheet).cautionUsageOutOfRange, warned);

        for (const Entries &cells : {expected, entries}) { // entries are never rewritten
            for (const CellText &cell : cells)
                QCOMPARE(QString::number(cell.cell) + ": " + sheet.text(cell.cell).c_str(),
                         QString::number(cell.cell) + ": " + cell.text);
        }
        for (int cell = 0; cell < CellCount; ++cell) // never "inf" or "nan"
            QVERIFY(sheet.text(cell).find("inf") == std::string::npos &&
                    sheet.text(cell).find("nan") == std::string::npos);
        for (const int cell : coloured)
            QVERIFY2(!sheet.cell(cell).visible ||
                         magenta.contains(cell) ==
                             (sheet.cell(cell).colour == TextColour::LightMagenta),
                     qPrintable(QString::number(cell)));
        for (int column = 0; column < ColumnCount; ++column) {
            const bool gallonsMode = gallonsColumns.contains(column);
            QCOMPARE(sheet.cell(at(column, GallonsAdded)).enabled, gallonsMode);
            for (const Row row :
                 {Can1WeightBefore, Can1WeightAfter, Can2Number, Can2WeightBefore, Can2WeightAfter})
                QCOMPARE(sheet.cell(at(column, row)).visible, !gallonsMode);
        }
        // Magenta captions for the required inputs left at 0.
        for (const int required : {132, 133, 134, 135})
            QCOMPARE(sheet.captionColour(required) == CaptionColour::Magenta,
                     sheet.number(required) == 0);
        for (const Row row : {MustPitBeforeLap, EstSpareLaps, SpareLapsError})
            QVERIFY(!sheet.cell(at(0, row)).visible);
        const RaceSheet once = sheet;
        QCOMPARE(RecalculateSheet(sheet).cautionUsageOutOfRange, warned);
        QVERIFY(sheet == once);
    }
};

QTEST_APPLESS_MAIN(TestSheet)
#include "tst_sheet.moc"

#include "RecalculateSheet.h"

#include <cmath>
#include <string_view>

namespace quorvel {
namespace {

constexpr double PoundsPerGallonOfWater = 8.33;
constexpr double DefaultFuelDensity = 5.9976; // specific gravity 0.72
constexpr double PercentToFraction = 0.01;
constexpr double LowestCautionShare = 0.3;
constexpr double HighestCautionShare = 1.0;
constexpr double GallonsModeMarker = -99.0;

// What the crew entered once for the whole race.
struct RaceConstants
{
    double fuelDensity = 0;  // pounds per gallon
    double cautionShare = 0; // fraction of a green lap's fuel a caution lap burns
    double preRaceLaps = 0;
    double tankCapacity = 0;
    double lapLength = 0;
};

// The stop with the highest lap number so far, which the current-lap
// projections start from. Lap and caution laps are whole numbers.
struct LastPit
{
    double lap = 0;
    double cautionLaps = 0;
    double raceMpg = 0;
    double stintMpg = 0;
};

bool isBlankText(std::string_view text)
{
    return text.find_first_not_of(' ') == std::string_view::npos;
}

TextColour warnIf(bool contradicts)
{
    return contradicts ? TextColour::LightMagenta : TextColour::Black;
}

class FuelCalculation
{
public:
    explicit FuelCalculation(RaceSheet &sheet) : sheet_(sheet) {}

    RecalculationOutcome run()
    {
        readConstants();
        RecalculationOutcome outcome;
        outcome.cautionUsageOutOfRange =
            (race_.cautionShare < LowestCautionShare || race_.cautionShare > HighestCautionShare) &&
            !isBlankText(sheet_.text(SideCell::CautionLapUsage));
        for (const int required : {SideCell::TankCapacity, SideCell::FuelSpecGravity,
                                   SideCell::LapLength, SideCell::CautionLapUsage}) {
            sheet_.setCaptionColour(required, sheet_.number(required) == 0 ? CaptionColour::Magenta
                                                                           : CaptionColour::Black);
        }
        // The start column has no stop before it to project from or compare with.
        for (const Row row : {Row::MustPitBeforeLap, Row::EstSpareLaps, Row::SpareLapsError})
            sheet_.setVisible(GridCell(0, row), false);

        for (int column = 0; column < ColumnCount; ++column)
            workOutStop(column);
        projectCurrentLap();
        return outcome;
    }

private:
    [[nodiscard]] double n(int cell) const { return sheet_.number(cell); }
    [[nodiscard]] static int at(int column, Row row) { return GridCell(column, row); }

    void write(int cell, double value, NumberFormat format)
    {
        sheet_.writeNumber(cell, value, format);
    }
    void writeIfPositive(int cell, double value)
    {
        if (value > 0)
            write(cell, value, NumberFormat::TwoDecimals);
        else
            sheet_.clearText(cell);
    }

    void readConstants()
    {
        const double gravity = n(SideCell::FuelSpecGravity);
        race_.fuelDensity = gravity == 0 ? DefaultFuelDensity : gravity * PoundsPerGallonOfWater;
        race_.cautionShare = n(SideCell::CautionLapUsage) * PercentToFraction;
        race_.preRaceLaps = n(SideCell::PreRaceLaps);
        race_.tankCapacity = n(SideCell::TankCapacity);
        race_.lapLength = n(SideCell::LapLength);
    }

    // Gallons that went in at this stop: typed in gallons mode, else from the
    // weighed cans.
    double gallonsAdded(int column)
    {
        const bool gallonsMode = n(at(column, Row::Can1Number)) == GallonsModeMarker;
        for (const Row row : {Row::Can1WeightBefore, Row::Can1WeightAfter, Row::Can2Number,
                              Row::Can2WeightBefore, Row::Can2WeightAfter})
            sheet_.setVisible(at(column, row), !gallonsMode);
        const int gallonsCell = at(column, Row::GallonsAdded);
        sheet_.setEnabled(gallonsCell, gallonsMode);
        if (gallonsMode)
            return n(gallonsCell);

        double pounds = 0;
        for (const auto &[beforeRow, afterRow] :
             {std::pair{Row::Can1WeightBefore, Row::Can1WeightAfter},
              std::pair{Row::Can2WeightBefore, Row::Can2WeightAfter}}) {
            const int beforeCell = at(column, beforeRow);
            const int afterCell = at(column, afterRow);
            const double before = n(beforeCell);
            const double after = n(afterCell);
            // A can not fully weighed is not counted, and not flagged either:
            // a colour left over from an earlier entry would point at nothing.
            TextColour colour = TextColour::Black;
            if (before > 0 && after > 0) {
                const double used = before - after;
                colour = warnIf(used <= 0);
                pounds += used;
            }
            sheet_.setColour(beforeCell, colour);
            sheet_.setColour(afterCell, colour);
        }
        const double gallons = pounds / race_.fuelDensity;
        if (gallons > 0)
            write(gallonsCell, gallons, NumberFormat::TwoDecimals);
        else
            sheet_.clearText(gallonsCell);
        return gallons;
    }

    void workOutStop(int column)
    {
        const RaceConstants &r = race_;
        const bool firstStop = column == 1;
        // The fill at the start is not fuel burned.
        if (firstStop)
            totalGallons_ = 0;

        const double gallons = gallonsAdded(column);

        // Pre-race laps belong to the first stint, and count as caution laps there.
        const double lap = n(at(column, Row::LapNumber));
        const double caution =
            n(at(column, Row::RaceCautionLaps)) + (firstStop ? r.preRaceLaps : 0);
        const double previousLap = column >= 2 ? n(at(column - 1, Row::LapNumber)) : 0;
        const double previousCaution = column >= 2 ? n(at(column - 1, Row::RaceCautionLaps)) : 0;

        const double laps = lap - previousLap + (firstStop ? r.preRaceLaps : 0);
        sheet_.setColour(at(column, Row::LapNumber), warnIf(laps < 0));
        const double actualMiles = r.lapLength * laps;
        const double cautionSince = caution - previousCaution;
        sheet_.setColour(at(column, Row::RaceCautionLaps), warnIf(cautionSince < 0));

        const double raceLaps = column >= 1 ? lap + r.preRaceLaps : lap;
        const double raceCorrectedLaps = r.cautionShare * caution + (raceLaps - caution);
        const double stintCorrectedLaps = r.cautionShare * cautionSince + (laps - cautionSince);
        const double raceCorrectedMiles = r.lapLength * raceCorrectedLaps;
        const double stintCorrectedMiles = r.lapLength * stintCorrectedLaps;

        writeIfPositive(at(column, Row::CorrMilesSincePit), stintCorrectedMiles);
        writeIfPositive(at(column, Row::ActualMilesSincePit), actualMiles);

        if (gallons > 0) {
            stintMpg_ = stintCorrectedMiles / gallons;
            write(at(column, Row::CorrMpgSincePit), stintMpg_, NumberFormat::TwoDecimals);
        } else {
            sheet_.clearText(at(column, Row::CorrMpgSincePit));
            sheet_.clearText(at(column, Row::CorrMpgRace));
        }
        totalGallons_ += gallons;

        // The next stop's "Must Pit Before Lap" lives one column on; after the
        // 5th Pit that is the hidden cell 128.
        const int nextMustPit = at(column, Row::MustPitBeforeLap) + RowsPerColumn;
        // Negative fills from contradictory weights can cancel the fuel so far
        // exactly; the race mileage then has nothing to divide by.
        if (!(r.lapLength > 0 && gallons > 0) || totalGallons_ == 0) {
            for (const Row row : {Row::CorrMpgRace, Row::ActualMpgRace, Row::ActualSpareLaps})
                sheet_.clearText(at(column, row));
            sheet_.clearText(nextMustPit);
            if (column >= 1) {
                sheet_.clearText(at(column, Row::EstSpareLaps));
                sheet_.clearText(at(column, Row::SpareLapsError));
            }
        } else {
            raceMpg_ = raceCorrectedMiles / totalGallons_;
            write(at(column, Row::CorrMpgRace), raceMpg_, NumberFormat::TwoDecimals);
            write(at(column, Row::ActualMpgRace), raceLaps * r.lapLength / totalGallons_,
                  NumberFormat::TwoDecimals);
            write(at(column, Row::ActualSpareLaps),
                  raceMpg_ * (r.tankCapacity - gallons) / r.lapLength, NumberFormat::OneDecimal);
            const double lapsPerTank = raceMpg_ * r.tankCapacity / r.lapLength;
            write(nextMustPit, column >= 1 ? lap + lapsPerTank : lapsPerTank,
                  NumberFormat::OneDecimal);
            if (column >= 1)
                estimateSpareLaps(column, stintCorrectedMiles);
        }

        if (lap > lastPit_.lap) {
            lastPit_ = {std::nearbyint(lap), std::nearbyint(caution), raceMpg_, stintMpg_};
        }

        const int lapsPerGallonCell = at(column, Row::ActualLapsPerGal);
        if (r.lapLength == 0 || sheet_.text(at(column, Row::ActualMpgRace)).empty())
            sheet_.clearText(lapsPerGallonCell);
        else
            write(lapsPerGallonCell, n(at(column, Row::ActualMpgRace)) / r.lapLength,
                  NumberFormat::TwoDecimalsNoLeadingZero);
    }

    // What the previous stop's race mileage said would be left, and how far
    // off it was. Works from the numbers as shown, as the crew reads them.
    void estimateSpareLaps(int column, double stintCorrectedMiles)
    {
        const RaceConstants &r = race_;
        const double previousRaceMpg = n(at(column - 1, Row::CorrMpgRace));
        const int estimateCell = at(column, Row::EstSpareLaps);
        const int errorCell = at(column, Row::SpareLapsError);
        if (!(previousRaceMpg > 0)) {
            sheet_.clearText(estimateCell);
            sheet_.clearText(errorCell);
            return;
        }
        const double estimatedGallonsUsed = stintCorrectedMiles / previousRaceMpg;
        write(estimateCell, (r.tankCapacity - estimatedGallonsUsed) * previousRaceMpg / r.lapLength,
              NumberFormat::OneDecimal);
        write(errorCell, n(at(column, Row::ActualSpareLaps)) - n(estimateCell),
              NumberFormat::OneDecimal);
    }

    void projectCurrentLap()
    {
        const RaceConstants &r = race_;
        const double currentLap = n(SideCell::CurrentLap);
        const double currentCaution = n(SideCell::CurrentCautionLaps);
        const bool lapBehind = currentLap < lastPit_.lap;
        const bool cautionBehind = currentCaution < lastPit_.cautionLaps - r.preRaceLaps;
        sheet_.setColour(SideCell::CurrentLap, warnIf(lapBehind));
        sheet_.setColour(SideCell::CurrentCautionLaps, warnIf(cautionBehind));

        if (lapBehind || cautionBehind || !(lastPit_.raceMpg > 0) || !(r.lapLength > 0) ||
            !(lastPit_.stintMpg > 0)) {
            sheet_.clearText(SideCell::EstLapsLastPit);
            sheet_.clearText(SideCell::EstLapsEntireRace);
            return;
        }
        const double lapsNow = currentLap - lastPit_.lap;
        const double cautionNow = currentCaution - lastPit_.cautionLaps;
        const double correctedMilesNow =
            ((lapsNow - cautionNow) + cautionNow * r.cautionShare) * r.lapLength;
        const auto lapsLeft = [&](double mpg) {
            return mpg * (r.tankCapacity - correctedMilesNow / mpg) / r.lapLength;
        };
        write(SideCell::EstLapsEntireRace, lapsLeft(lastPit_.raceMpg), NumberFormat::OneDecimal);
        write(SideCell::EstLapsLastPit, lapsLeft(lastPit_.stintMpg), NumberFormat::OneDecimal);
    }

    RaceSheet &sheet_;
    RaceConstants race_;
    double totalGallons_ = 0;
    double stintMpg_ = 0;
    double raceMpg_ = 0;
    LastPit lastPit_;
};

} // namespace

RecalculationOutcome RecalculateSheet(RaceSheet &sheet)
{
    return FuelCalculation(sheet).run();
}

} // namespace quorvel

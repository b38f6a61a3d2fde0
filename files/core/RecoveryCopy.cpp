#include "RecoveryCopy.h"

#include "CellNumber.h"
#include "RaceDocument.h"
#include "TextFields.h"

namespace quorvel {
namespace {

// Far beyond any path the system accepts; a damaged copy cannot exhaust
// memory.
constexpr std::size_t PathLimit = 64 * 1024;

// Added to the caption number where the race was opened cut.
constexpr int OpenedCut = 2;

} // namespace

bool HoldsRace(const RecoveryCopy &copy)
{
    if (copy.currentFile != UntitledFile || !copy.race.comment.empty())
        return true;
    RaceSheet blank;
    RecalculateSheet(blank);
    for (int i = 0; i < CellCount; ++i) {
        if (copy.race.cells[static_cast<std::size_t>(i)] != blank.text(i))
            return true;
    }
    return false;
}

RecoveryCopy TakeRecoveryCopy(const RaceDocument &document)
{
    return {document.fileContents(), document.settings(), document.currentFile().path(),
            RecoveryCopy::Caption::Activation, document.openedCutFrom()};
}

std::string SerializeRecoveryCopy(const RecoveryCopy &copy)
{
    std::string bytes = SerializeRaceFile(copy.race);
    bytes += IntegerLine(copy.settings.gasketInput);
    for (const std::int16_t reserved : copy.settings.reservedSettings)
        bytes += IntegerLine(reserved);
    bytes += IntegerLine(static_cast<std::int16_t>(static_cast<int>(copy.caption) |
                                                   (copy.openedCutFrom ? OpenedCut : 0)));
    if (copy.openedCutFrom) {
        const std::string cut = copy.openedCutFrom->toStdString();
        bytes += std::to_string(cut.size()) + std::string(LineEnd) + cut + std::string(LineEnd);
    }
    bytes += copy.currentFile.toStdString();
    bytes += LineEnd;
    return bytes;
}

std::optional<RecoveryCopy> ParseRecoveryCopy(FieldReader &reader)
{
    RaceFileReadResult race = ParseRaceFile(reader);
    if (race.status != RaceFileReadStatus::Read)
        return std::nullopt;
    RecoveryCopy copy;
    copy.race = std::move(race.contents);
    copy.settings.unitSystem = copy.race.unitSystem.value_or(0);
    copy.settings.gasketInput = copy.race.gasketInput.value_or(0);
    // The race reader stops right after GasketInput; the rest is ours.
    for (std::int16_t &reserved : copy.settings.reservedSettings)
        reserved = reader.readIntegerField().value_or(0);
    const int caption = reader.readIntegerField().value_or(0);
    if (caption & static_cast<int>(RecoveryCopy::Caption::File))
        copy.caption = RecoveryCopy::Caption::File;
    if (caption & OpenedCut) {
        const double length = CellNumber(reader.readField(32));
        if (!(length > 0 && length <= double(PathLimit)))
            return std::nullopt;
        const std::string cut = reader.readBytes(static_cast<std::size_t>(length));
        // The path's own line end follows it.
        if (cut.size() != static_cast<std::size_t>(length) || !reader.readLine(0))
            return std::nullopt;
        copy.openedCutFrom = QString::fromStdString(cut);
    }
    std::string path = reader.readBytes(PathLimit);
    if (path.ends_with(LineEnd))
        path.resize(path.size() - LineEnd.size());
    // A name an older version kept that is not UTF-8 leads nowhere now.
    copy.currentFile =
        path.empty() || !IsValidUtf8(path) ? QString(UntitledFile) : QString::fromStdString(path);
    return copy;
}

std::optional<RecoveryCopy> ReadRecoveryCopy(const QString &path)
{
    QFile file(path);
    if (!OpenRegularFile(file).isEmpty())
        return std::nullopt;
    FieldReader reader(file);
    std::optional<RecoveryCopy> copy = ParseRecoveryCopy(reader);
    // A copy that cannot be read to its end is of no use.
    return file.error() == QFileDevice::NoError ? copy : std::nullopt;
}

} // namespace quorvel

#include "RecoveryCopy.h"

#include "CellNumber.h"
#include "RaceDocument.h"
#include "RegularFile.h"
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
    if (copy.openedCutFrom)
        bytes += std::to_string(copy.openedCutFrom->size()) + std::string(LineEnd) +
                 *copy.openedCutFrom + std::string(LineEnd);
    bytes += copy.currentFile;
    bytes += LineEnd;
    return bytes;
}

std::optional<RecoveryCopy> ParseRecoveryCopy(std::streambuf &source)
{
    RaceFileReadResult race = ParseRaceFile(source);
    if (race.status != RaceFileReadStatus::Read)
        return std::nullopt;
    RecoveryCopy copy;
    copy.race = std::move(race.contents);
    copy.settings.unitSystem = copy.race.unitSystem.value_or(0);
    copy.settings.gasketInput = copy.race.gasketInput.value_or(0);
    // The race reader stops right after GasketInput; the rest is ours.
    FieldReader reader(source);
    for (std::int16_t &reserved : copy.settings.reservedSettings)
        reserved = reader.readIntegerField().value_or(0);
    const int caption = reader.readIntegerField().value_or(0);
    if (caption & static_cast<int>(RecoveryCopy::Caption::File))
        copy.caption = RecoveryCopy::Caption::File;
    if (caption & OpenedCut) {
        const double length = CellNumber(reader.readField(32));
        if (!(length > 0 && length <= double(PathLimit)))
            return std::nullopt;
        std::string cut(static_cast<std::size_t>(length), '\0');
        const auto size = static_cast<std::streamsize>(cut.size());
        // The path's own line end follows it.
        if (source.sgetn(cut.data(), size) != size || !reader.readLine(0))
            return std::nullopt;
        copy.openedCutFrom = std::move(cut);
    }
    std::string &path = copy.currentFile;
    for (int c = source.sbumpc(); c != std::char_traits<char>::eof() && path.size() < PathLimit;
         c = source.sbumpc())
        path.push_back(static_cast<char>(c));
    if (path.ends_with(LineEnd))
        path.resize(path.size() - LineEnd.size());
    if (path.empty())
        path = UntitledFile;
    return copy;
}

std::optional<RecoveryCopy> ReadRecoveryCopy(const std::string &path)
{
    RegularFileSource file(path);
    if (!file.problem().empty())
        return std::nullopt;
    std::optional<RecoveryCopy> copy = ParseRecoveryCopy(file);
    // A copy that cannot be read to its end is of no use.
    return file.problem().empty() ? copy : std::nullopt;
}

} // namespace quorvel

#include "RecoveryCopy.h"

#include "RaceDocument.h"
#include "RegularFile.h"
#include "TextFields.h"

namespace quorvel {
namespace {

// Far beyond any path the system accepts; a damaged copy cannot exhaust
// memory.
constexpr std::size_t PathLimit = 64 * 1024;

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
            RecoveryCopy::Caption::Activation};
}

std::string SerializeRecoveryCopy(const RecoveryCopy &copy)
{
    std::string bytes = SerializeRaceFile(copy.race);
    bytes += IntegerLine(copy.settings.gasketInput);
    for (const std::int16_t reserved : copy.settings.reservedSettings)
        bytes += IntegerLine(reserved);
    bytes += IntegerLine(static_cast<std::int16_t>(copy.caption));
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
    if (reader.readIntegerField().value_or(0) ==
        static_cast<std::int16_t>(RecoveryCopy::Caption::File))
        copy.caption = RecoveryCopy::Caption::File;
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

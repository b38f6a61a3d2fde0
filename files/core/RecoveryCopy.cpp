#include "RecoveryCopy.h"

#include "RaceDocument.h"
#include "RaceFile.h"
#include "TextFields.h"

#include <fstream>

namespace quorvel {
namespace {

// Far beyond any path the system accepts; a damaged copy cannot exhaust
// memory.
constexpr std::size_t PathLimit = 64 * 1024;

} // namespace

RecoveryCopy TakeRecoveryCopy(const RaceDocument &document)
{
    RecoveryCopy copy;
    for (int i = 0; i < CellCount; ++i)
        copy.cells[static_cast<std::size_t>(i)] = document.sheet().text(i);
    copy.comment = document.comment();
    copy.inputMode = document.inputMode();
    copy.settings = document.settings();
    copy.currentFile = document.currentFile().path();
    return copy;
}

std::string SerializeRecoveryCopy(const RecoveryCopy &copy)
{
    RaceFileContents race;
    race.cells = copy.cells;
    race.comment = copy.comment;
    race.inputMode = copy.inputMode;
    race.unitSystem = copy.settings.unitSystem;
    std::string bytes = SerializeRaceFile(race);
    bytes += IntegerLine(copy.settings.gasketInput);
    for (const std::int16_t reserved : copy.settings.reservedSettings)
        bytes += IntegerLine(reserved);
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
    copy.cells = std::move(race.contents.cells);
    copy.comment = std::move(race.contents.comment);
    copy.inputMode = race.contents.inputMode.value_or(0);
    copy.settings.unitSystem = race.contents.unitSystem.value_or(0);
    copy.settings.gasketInput = race.contents.gasketInput.value_or(0);
    // The race reader stops right after GasketInput; the rest is ours.
    FieldReader reader(source);
    for (std::int16_t &reserved : copy.settings.reservedSettings)
        reserved = reader.readIntegerField().value_or(0);
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
    std::filebuf file;
    if (!file.open(path, std::ios::in | std::ios::binary))
        return std::nullopt;
    try {
        return ParseRecoveryCopy(file);
    } catch (const std::ios_base::failure &) {
        return std::nullopt;
    }
}

} // namespace quorvel

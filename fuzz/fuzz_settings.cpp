// The settings file is read at every start; a damaged one must never stop
// the program, and what it gives must survive being written back.

#include "ByteSource.h"
#include "RaceFile.h"
#include "SettingsFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <streambuf>
#include <string>
#include <string_view>

namespace {

using namespace quorvel;

using fuzz::ByteSource;

CarriedSettings Parse(std::string_view bytes)
{
    ByteSource source(bytes);
    return ParseSettings(source);
}

void Require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "settings check failed: %s\n", what);
        std::abort();
    }
}

std::size_t Count(std::string_view text, char c)
{
    std::size_t n = 0;
    for (const char t : text)
        n += t == c ? 1 : 0;
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    const CarriedSettings settings = Parse(input);

    const std::string written = SerializeSettings(settings);
    Require(Parse(written) == settings, "settings changed on saving");
    // Five fields, one a line, CR LF only.
    Require(Count(written, '\r') == 5 && Count(written, '\n') == 5 &&
                written.find("\r\n\r\n") == std::string::npos &&
                written.substr(written.size() - 2) == "\r\n",
            "written settings are not five CR LF lines");
    // Only the five fields are read: anything after them is left alone.
    std::string withTail = written;
    withTail += input;
    Require(Parse(withTail) == settings, "bytes after the fifth field changed the settings");

    // The race file reads its two integer fields the same way; a missing or
    // oversized number is 0 here and absent there.
    std::string asRace(RaceFileMagic);
    asRace += "\r\n";
    asRace += input;
    ByteSource raceSource(asRace);
    const RaceFileReadResult race = ParseRaceFile(raceSource);
    Require(race.status == RaceFileReadStatus::Read, "magic line not recognised");
    Require(race.contents.inputMode.value_or(0) == settings.unitSystem &&
                race.contents.unitSystem.value_or(0) == settings.reservedSettings[0],
            "settings and race file read integer fields differently");
    return 0;
}

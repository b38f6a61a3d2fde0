// The settings file is read at every start; a damaged one must never stop
// the program, and what it gives must survive being written back.

#include "SettingsFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace quorvel;

CarriedSettings Parse(std::string_view bytes)
{
    FieldReader reader(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return ParseSettings(reader);
}

void Require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "settings check failed: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    const CarriedSettings settings = Parse(input);
    const std::string written = SerializeSettings(settings);
    Require(Parse(written) == settings, "settings changed on saving");
    Require(std::count(written.begin(), written.end(), '\r') == 5 &&
                std::count(written.begin(), written.end(), '\n') == 5 &&
                written.find("\r\n\r\n") == std::string::npos && written.ends_with("\r\n"),
            "written settings are not five CR LF lines");
    // Only the five fields are read: anything after them is left alone.
    Require(Parse(written + std::string(input)) == settings,
            "bytes after the fifth field changed the settings");
    return 0;
}

#include "SettingsFile.h"

#include "RegularFile.h"
#include "TextFields.h"

namespace quorvel {

CarriedSettings ParseSettings(std::streambuf &source)
{
    FieldReader reader(source);
    CarriedSettings settings;
    const auto read = [&reader](std::int16_t &value) {
        if (const auto number = reader.readIntegerField())
            value = *number;
    };
    read(settings.unitSystem);
    for (std::int16_t &reserved : settings.reservedSettings)
        read(reserved);
    read(settings.gasketInput);
    return settings;
}

CarriedSettings ReadSettingsFile(const std::string &path)
{
    RegularFileSource file(path);
    if (!file.problem().empty())
        return {};
    const CarriedSettings settings = ParseSettings(file);
    // A file that cannot be read to its end counts as a missing one.
    return file.problem().empty() ? settings : CarriedSettings{};
}

std::string SerializeSettings(const CarriedSettings &settings)
{
    std::string bytes = IntegerLine(settings.unitSystem);
    for (const std::int16_t reserved : settings.reservedSettings)
        bytes += IntegerLine(reserved);
    bytes += IntegerLine(settings.gasketInput);
    return bytes;
}

} // namespace quorvel

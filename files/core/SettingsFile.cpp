#include "SettingsFile.h"

#include "TextFields.h"

#include <filesystem>
#include <fstream>

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
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored))
        return {};
    std::filebuf file;
    if (!file.open(path, std::ios::in | std::ios::binary))
        return {};
    try {
        return ParseSettings(file);
    } catch (const std::ios_base::failure &) {
        // A file that cannot be read counts as a missing one.
        return {};
    }
}

std::string SerializeSettings(const CarriedSettings &settings)
{
    std::string bytes = IntegerLine(settings.unitSystem);
    for (const std::int16_t reserved : settings.reservedSettings)
        bytes += IntegerLine(reserved);
    bytes += IntegerLine(settings.gasketInput);
    return bytes;
}

FileWriteResult WriteSettingsFile(const std::string &path, const CarriedSettings &settings)
{
    return WriteFileAtomically(path, SerializeSettings(settings));
}

} // namespace quorvel

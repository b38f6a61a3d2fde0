#include "SettingsFile.h"

namespace quorvel {

CarriedSettings ParseSettings(FieldReader &reader)
{
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

CarriedSettings ReadSettingsFile(const QString &path)
{
    QFile file(path);
    if (!OpenRegularFile(file).isEmpty())
        return {};
    FieldReader reader(file);
    const CarriedSettings settings = ParseSettings(reader);
    // A file that cannot be read to its end counts as a missing one.
    return file.error() == QFileDevice::NoError ? settings : CarriedSettings{};
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

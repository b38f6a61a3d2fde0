#pragma once

#include "TextFields.h"

#include <QString>

#include <array>
#include <cstdint>
#include <string>

namespace quorvel {

inline constexpr QLatin1StringView SettingsFileName("KVCNFG.DNX");

// The integers kept from one run to the next. Only UnitSystem reaches
// anything else (race files carry it); the rest are stored and given back.
struct CarriedSettings
{
    std::int16_t unitSystem = 0;
    std::array<std::int16_t, 3> reservedSettings{};
    std::int16_t gasketInput = 0;

    friend bool operator==(const CarriedSettings &, const CarriedSettings &) = default;
};

// Five integer fields in order; a short, missing or unreadable file leaves
// the values it does not reach at 0, and so does a number beyond 16 bits. A
// file that is not a regular file is not read at all.
CarriedSettings ParseSettings(FieldReader &reader);
CarriedSettings ReadSettingsFile(const QString &path);

std::string SerializeSettings(const CarriedSettings &settings);

} // namespace quorvel

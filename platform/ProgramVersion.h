#pragma once

#include <QString>

namespace quorvel {

// The program's name, the title of every box without one of its own.
[[nodiscard]] inline QString ProgramName()
{
    return QStringLiteral("Quorvel");
}

// The one version number is the project's, set in CMake; the windows show it
// in the forms crews have always seen.

// "Quorvel v1.1": the splash.
[[nodiscard]] inline QString ShortVersionText()
{
    return QStringLiteral("%1 v%2.%3")
        .arg(ProgramName())
        .arg(QUORVEL_VERSION_MAJOR)
        .arg(QUORVEL_VERSION_MINOR);
}

// "Quorvel v1.1.003": the About window, with the release in three digits.
[[nodiscard]] inline QString FullVersionText()
{
    return ShortVersionText() +
           QStringLiteral(".%1").arg(QUORVEL_VERSION_PATCH, 3, 10, QLatin1Char('0'));
}

} // namespace quorvel

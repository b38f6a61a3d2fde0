#pragma once

#include <QFont>

namespace quorvel {

// The bold sans serif the windows were drawn for, in the closest family a
// Linux desktop has. The families a Debian desktop has come first: each
// missing one costs a fontconfig fallback at start-up.
[[nodiscard]] inline QFont ProgramFont(qreal points)
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("DejaVu Sans"), QStringLiteral("Arial"),
                      QStringLiteral("MS Sans Serif")});
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

} // namespace quorvel

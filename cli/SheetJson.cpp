#include "SheetJson.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

namespace quorvel {
namespace {

QString colourName(TextColour colour)
{
    return colour == TextColour::LightMagenta ? QStringLiteral("light-magenta")
                                              : QStringLiteral("black");
}

QString colourName(CaptionColour colour)
{
    return colour == CaptionColour::Magenta ? QStringLiteral("magenta") : QStringLiteral("black");
}

} // namespace

QJsonObject SheetJson(const RaceDocument &document, const RecalculationOutcome &recalculation)
{
    const RaceSheet &sheet = document.sheet();
    QJsonArray cells;
    QJsonArray visible;
    QJsonArray enabled;
    QJsonArray colors;
    for (int i = 0; i < CellCount; ++i) {
        const Cell &cell = sheet.cell(i);
        cells.append(QString::fromStdString(cell.text));
        visible.append(cell.visible);
        enabled.append(cell.enabled);
        colors.append(colourName(cell.colour));
    }
    QJsonObject captionColors;
    for (int panel = 0; panel < CellCount; ++panel) {
        if (IsCaptionPanel(panel))
            captionColors.insert(QString::number(panel), colourName(sheet.captionColour(panel)));
    }

    QJsonObject root;
    root.insert(QStringLiteral("cells"), cells);
    root.insert(QStringLiteral("visible"), visible);
    root.insert(QStringLiteral("enabled"), enabled);
    root.insert(QStringLiteral("colors"), colors);
    root.insert(QStringLiteral("captionColors"), captionColors);
    root.insert(QStringLiteral("cautionUsageWarning"), recalculation.cautionUsageOutOfRange);
    root.insert(QStringLiteral("comment"), QString::fromStdString(document.comment()));
    root.insert(QStringLiteral("inputMode"), document.inputMode());
    root.insert(QStringLiteral("unitSystem"), document.settings().unitSystem);
    root.insert(QStringLiteral("gasketInput"), document.settings().gasketInput);
    return root;
}

} // namespace quorvel

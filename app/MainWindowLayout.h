#pragma once

#include "Twips.h"

#include <QString>

#include <array>
#include <span>

namespace quorvel {

// Where everything on the main window stands, in twips relative to its
// container. The window code places widgets from these tables only.
namespace MainWindowLayout {

inline constexpr int ClientWidth = 11325;
inline constexpr int ClientHeight = 7845;

enum class Container { Window, Projections, Help, TestConditions };

struct Frame
{
    Container id;
    const char *name; // the object name scripts find it by
    const char *title;
    TwipsRect rect; // on the window
};

inline constexpr std::array<Frame, 3> Frames = {{
    {Container::Projections, "projections", "Current Projections", {120, 2160, 3015, 2535}},
    {Container::Help, "helpFrame", "Help", {120, 4800, 3015, 2895}},
    {Container::TestConditions, "testConditions", "Current Test Conditions", {3240, 0, 7935, 7695}},
}};

// A car, track or current-lap field: its caption panel and its cell.
struct SideField
{
    int cell;
    Container container;
    TwipsRect caption;
    TwipsRect field;
};

inline constexpr std::array<SideField, 10> SideFields = {{
    {132, Container::Window, {120, 120, 2055, 255}, {2280, 120, 855, 285}},
    {133, Container::Window, {120, 480, 2055, 255}, {2280, 480, 855, 285}},
    {134, Container::Window, {120, 840, 1575, 255}, {1800, 840, 735, 285}},
    {135, Container::Window, {120, 1200, 2055, 255}, {2280, 1200, 855, 285}},
    {136, Container::Window, {120, 1680, 2055, 255}, {2280, 1680, 855, 285}},
    {137, Container::Window, {120, 2040, 1935, 255}, {2160, 2040, 855, 285}},
    {138, Container::Projections, {120, 360, 1815, 255}, {2040, 360, 855, 285}},
    {139, Container::Projections, {120, 720, 1815, 255}, {2040, 720, 855, 285}},
    {140, Container::Projections, {120, 1320, 1815, 495}, {2040, 1320, 855, 285}},
    {141, Container::Projections, {120, 1920, 1815, 495}, {2040, 1920, 855, 285}},
}};

// The "Clc" button beside the lap length.
inline constexpr TwipsRect RecalculateButton = {2640, 840, 495, 255};
// The focus button that holds the focus when the crew leaves the cells; it
// stands out of sight, left of the window's edge.
inline constexpr TwipsRect FocusButton = {-400, 0, 375, 375};
// The help text inside the "Help" frame.
inline constexpr TwipsRect HelpText = {120, 240, 2775, 2565};

// The grid inside "Current Test Conditions".
inline constexpr int ColumnHeadingTop = 240;
inline constexpr int ColumnHeadingWidth = 735;
inline constexpr int ColumnHeadingHeight = 285;
inline constexpr int FirstColumnLeft = 2760;
inline constexpr int ColumnPitch = 840;
inline constexpr int RowCaptionLeft = 120;
inline constexpr int RowCaptionWidth = 2535;
inline constexpr int RowCaptionHeight = 255;
inline constexpr int GridCellWidth = 735;
inline constexpr int GridCellHeight = 285;
// Rows are 360 apart, with 480 before the lap rows and the projections.
inline constexpr std::array<int, 19> RowTops = {480,  840,  1200, 1560, 1920, 2280, 2640,
                                                3120, 3480, 3840, 4200, 4560, 4920, 5280,
                                                5760, 6120, 6480, 6840, 7200};

[[nodiscard]] constexpr TwipsRect ColumnHeading(int column)
{
    return {FirstColumnLeft + ColumnPitch * column, ColumnHeadingTop, ColumnHeadingWidth,
            ColumnHeadingHeight};
}

[[nodiscard]] constexpr TwipsRect RowCaption(int row)
{
    return {RowCaptionLeft, RowTops[static_cast<std::size_t>(row)], RowCaptionWidth,
            RowCaptionHeight};
}

[[nodiscard]] constexpr TwipsRect GridCell(int column, int row)
{
    return {FirstColumnLeft + ColumnPitch * column, RowTops[static_cast<std::size_t>(row)],
            GridCellWidth, GridCellHeight};
}

} // namespace MainWindowLayout
} // namespace quorvel

#pragma once

#include "TextFields.h"

#include <QString>

#include <array>

class QLabel;

namespace quorvel {

inline constexpr int HelpRecordCount = 142; // cells 0 to 141

using HelpTexts = std::array<QString, HelpRecordCount>;

// Reads the help text file: per cell a title line (not used), the help line
// itself, then two numbers (not used) separated by a comma, blanks or a line
// break, after which the rest of the line is skipped. A file that ends early
// leaves the cells it did not reach without help.
[[nodiscard]] HelpTexts ParseHelpTexts(FieldReader &reader);

// The help of the focused cell, shown in the Help box. The texts live beside
// the program so a crew can edit them; they are read again whenever the main
// window becomes active.
class RowHelp
{
public:
    RowHelp(QString helpFilePath, QLabel *display);

    void reload();
    void show(int cell);
    [[nodiscard]] const QString &text(int cell) const;

private:
    QString path_;
    QLabel *display_;
    HelpTexts texts_;
    int shown_ = -1; // the cell whose help the display shows
};

} // namespace quorvel

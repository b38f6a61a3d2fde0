#pragma once

#include "RaceSheet.h"

#include <QObject>

#include <array>

class QWidget;
class QLabel;
class QPushButton;

namespace quorvel {

class CaptionPanel;
class CellEdit;
class RowHelp;

// The race sheet's widgets: the 124 cells on screen, their caption panels
// and the column headings, placed from the layout tables. It brings the
// widgets up to date with the sheet, touching only what changed, and hands
// typed text back to the sheet as it is typed.
class SheetView : public QObject
{
    Q_OBJECT

public:
    struct Containers
    {
        QWidget *window;
        QWidget *projections;
        QWidget *testConditions;
    };

    SheetView(RaceSheet &sheet, const Containers &containers, double dotsPerInch);

    // nullptr for the reserved cells, which are never shown.
    [[nodiscard]] CellEdit *cellEdit(int cell) const;
    [[nodiscard]] CaptionPanel *captionPanel(int panel) const;
    [[nodiscard]] QLabel *columnHeading(int column) const;

    // Cells in focus order: the side fields, then the grid column by column.
    [[nodiscard]] std::vector<CellEdit *> cellsInFocusOrder() const;

    // Each cell's help becomes its description for a screen reader, brought
    // up to date with the rest at each showSheet.
    void describeWith(const RowHelp &help) { help_ = &help; }

    // Brings every widget up to date with the sheet in one pass. A focused
    // cell that can no longer take the focus hands it on once, to where the
    // new state leads.
    void showSheet();

signals:
    void cellArrived(int cell);
    // The crew typed into the cell; the sheet already holds the text.
    void cellEdited(int cell);
    void cellLeft(int cell, Qt::FocusReason reason);
    void captionClicked(int panel);

private:
    CellEdit *addCell(int cell, QWidget *container, const QRect &rect);
    void addCaption(int panel, QWidget *container, const QRect &rect);
    void showCell(CellEdit &edit) const;

    RaceSheet &sheet_;
    const RowHelp *help_ = nullptr;
    std::array<CellEdit *, CellCount> cells_{};
    std::array<CaptionPanel *, CellCount> captions_{};
    std::array<QLabel *, ColumnCount> headings_{};
};

} // namespace quorvel

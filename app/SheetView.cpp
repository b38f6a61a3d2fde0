#include "SheetView.h"

#include "CaptionPanel.h"
#include "CellEdit.h"
#include "MainWindowLayout.h"
#include "RowHelp.h"
#include "SheetLabels.h"

#include <QApplication>
#include <QLabel>

namespace quorvel {

namespace Layout = MainWindowLayout;

namespace {

QString fromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A cell's name as the crew says it, from the words its captions show: a
// side field by its caption ("Tank Capacity, gals"), a grid cell by its row
// and column ("Lap Number, 2nd Pit"). Screen readers announce it. The rows of
// the two cans share their captions, which the eye tells apart by where they
// stand; the ear needs the can's number ("Can 2 Wt Before, lbs, 2nd Pit").
QString spokenName(int cell)
{
    if (IsSideCell(cell))
        return fromView(SideCellCaption(cell));
    const auto row = static_cast<Row>(cell % RowsPerColumn);
    QString caption = fromView(RowCaption(row));
    if (row <= Row::Can2WeightAfter)
        caption.insert(QStringLiteral("Can").size(),
                       row < Row::Can2Number ? QStringLiteral(" 1") : QStringLiteral(" 2"));
    return caption + QStringLiteral(", ") + fromView(ColumnHeading(cell / RowsPerColumn));
}

} // namespace

SheetView::SheetView(RaceSheet &sheet, const Containers &containers, double dotsPerInch)
    : QObject(containers.window), sheet_(sheet)
{
    const auto px = [dotsPerInch](const TwipsRect &r) { return TwipsToPixels(r, dotsPerInch); };
    for (const Layout::SideField &field : Layout::SideFields) {
        QWidget *container = field.container == Layout::Container::Projections
                                 ? containers.projections
                                 : containers.window;
        addCaption(field.cell, container, px(field.caption));
        addCell(field.cell, container, px(field.field));
    }
    for (int column = 0; column < ColumnCount; ++column) {
        auto *heading = new QLabel(fromView(ColumnHeading(column)), containers.testConditions);
        heading->setObjectName(QStringLiteral("heading%1").arg(column));
        heading->setAlignment(Qt::AlignCenter);
        heading->setGeometry(px(Layout::ColumnHeading(column)));
        headings_[static_cast<std::size_t>(column)] = heading;
    }
    for (int row = 0; row < RowsPerColumn; ++row) {
        addCaption(row, containers.testConditions, px(Layout::RowCaption(row)));
        for (int column = 0; column < ColumnCount; ++column)
            addCell(quorvel::GridCell(column, static_cast<Row>(row)), containers.testConditions,
                    px(Layout::GridCell(column, row)));
    }
    showSheet();
}

CellEdit *SheetView::addCell(int cell, QWidget *container, const QRect &rect)
{
    auto *edit = new CellEdit(cell, container);
    edit->setGeometry(rect);
    edit->setAccessibleName(spokenName(cell));
    cells_[static_cast<std::size_t>(cell)] = edit;
    connect(edit, &QLineEdit::textEdited, this, [this, cell](const QString &text) {
        sheet_.setText(cell, text.toStdString());
        emit cellEdited(cell);
    });
    connect(edit, &CellEdit::arrived, this, &SheetView::cellArrived);
    connect(edit, &CellEdit::left, this, &SheetView::cellLeft);
    return edit;
}

void SheetView::addCaption(int panel, QWidget *container, const QRect &rect)
{
    auto *label = new CaptionPanel(panel, fromView(PanelCaption(panel)), container);
    label->setGeometry(rect);
    captions_[static_cast<std::size_t>(panel)] = label;
    connect(label, &CaptionPanel::clicked, this, &SheetView::captionClicked);
}

CellEdit *SheetView::cellEdit(int cell) const
{
    return cell >= 0 && cell < CellCount ? cells_[static_cast<std::size_t>(cell)] : nullptr;
}

CaptionPanel *SheetView::captionPanel(int panel) const
{
    return IsCaptionPanel(panel) ? captions_[static_cast<std::size_t>(panel)] : nullptr;
}

QLabel *SheetView::columnHeading(int column) const
{
    return headings_.at(static_cast<std::size_t>(column));
}

std::vector<CellEdit *> SheetView::cellsInFocusOrder() const
{
    std::vector<CellEdit *> order;
    for (int cell = FirstSideCell; cell <= LastSideCell; ++cell)
        order.push_back(cells_[static_cast<std::size_t>(cell)]);
    for (int cell = 0; cell < ColumnCount * RowsPerColumn; ++cell)
        order.push_back(cells_[static_cast<std::size_t>(cell)]);
    return order;
}

void SheetView::showCell(CellEdit &edit) const
{
    const Cell &cell = sheet_.cell(edit.cell());
    // Enable before showing and showing before hiding, so a cell that
    // holds the focus is never hidden while its neighbour still could be.
    edit.setTypable(cell.enabled);
    if (cell.visible != !edit.isHidden())
        edit.setVisible(cell.visible);
    edit.setContradicts(cell.colour == TextColour::LightMagenta);
    // Only the side fields have a caption of their own to turn magenta.
    edit.setRequiredMissing(IsSideCell(edit.cell()) &&
                            sheet_.captionColour(edit.cell()) == CaptionColour::Magenta);
    if (help_)
        edit.setHelp(help_->text(edit.cell()));
    // Rewriting an unchanged text would drop the crew's selection.
    const QString text = QString::fromStdString(cell.text);
    if (text != edit.text()) {
        edit.setText(text);
        // A written number is read from its first digit, even where the
        // cell is too narrow for all of it.
        edit.setCursorPosition(0);
    }
}

void SheetView::showSheet()
{
    // The focused cell comes last. Hiding or greying it hands the focus on
    // to the next cell that can take it, and only once every other cell
    // shows its new state is that the right one: typing -99 and clicking a
    // can weight of the same column lands on the gallons just opened.
    auto *focused = qobject_cast<CellEdit *>(QApplication::focusWidget());
    if (focused && cellEdit(focused->cell()) != focused)
        focused = nullptr;
    for (CellEdit *edit : cells_) {
        if (edit && edit != focused)
            showCell(*edit);
    }
    if (focused)
        showCell(*focused);
    for (int panel = 0; panel < CellCount; ++panel) {
        if (CaptionPanel *caption = captions_[static_cast<std::size_t>(panel)]) {
            caption->setMissingInput(sheet_.captionColour(panel) == CaptionColour::Magenta);
            if (IsSideCell(panel) && caption->isHidden() == sheet_.cell(panel).visible)
                caption->setVisible(sheet_.cell(panel).visible);
        }
    }
}

} // namespace quorvel

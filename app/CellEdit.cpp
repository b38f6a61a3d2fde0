#include "CellEdit.h"

#include <QFocusEvent>
#include <QTimer>

namespace quorvel {
namespace {

const QColor ContradictionMagenta(255, 0, 255);

} // namespace

CellEdit::CellEdit(int cell, QWidget *parent) : QLineEdit(parent), cell_(cell)
{
    setObjectName(QStringLiteral("cell%1").arg(cell));
}

void CellEdit::setContradicts(bool contradicts)
{
    if (contradicts == contradicts_)
        return;
    contradicts_ = contradicts;
    QPalette colours = palette();
    colours.setColor(QPalette::Text, contradicts ? ContradictionMagenta : QColor(Qt::black));
    setPalette(colours);
}

void CellEdit::selectForOvertyping()
{
    setSelection(0, std::min<int>(SelectedOnArrival, static_cast<int>(text().size())));
}

void CellEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    selectForOvertyping();
    // A click places the caret after the focus arrives; select once it has.
    if (event->reason() == Qt::MouseFocusReason)
        QTimer::singleShot(0, this, [this] {
            if (hasFocus())
                selectForOvertyping();
        });
    emit arrived(cell_);
}

void CellEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    emit left(cell_, event->reason());
}

} // namespace quorvel

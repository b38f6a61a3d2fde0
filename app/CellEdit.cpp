#include "CellEdit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QStringList>

#include <utility>

namespace quorvel {
namespace {

const QColor ContradictionMagenta(255, 0, 255);
// The sheet is paper, whatever the desktop's colours: black figures on a
// white field, as on the light look the colours with a meaning were chosen
// for. On a dark field black would vanish and light magenta fade; a field of
// the program's own keeps every figure readable (black 21:1, light magenta
// 3.1:1) and the page printed from the window stays a page.
const QColor PaperField(Qt::white);
const QColor PaperText(Qt::black);
// A greyed result (the computed gallons of a column in can mode) is still a
// figure the crew reads in daylight: dark grey on a greyed field, about 6:1,
// where the toolkit's pale grey gives 1.6:1. The greyed field and the missing
// caret still tell that it cannot be typed into.
const QColor GreyedField(239, 239, 239);
const QColor GreyedText(0x59, 0x59, 0x59);

} // namespace

CellEdit::CellEdit(int cell, QWidget *parent) : QLineEdit(parent), cell_(cell)
{
    setObjectName(QStringLiteral("cell%1").arg(cell));
    QPalette paper = palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        paper.setColor(group, QPalette::Base, PaperField);
        paper.setColor(group, QPalette::Text, PaperText);
    }
    paper.setColor(QPalette::Disabled, QPalette::Base, GreyedField);
    paper.setColor(QPalette::Disabled, QPalette::Text, GreyedText);
    setPalette(paper);
}

void CellEdit::setContradicts(bool contradicts)
{
    if (contradicts == contradicts_)
        return;
    contradicts_ = contradicts;
    QPalette colours = palette();
    const QColor text = contradicts ? ContradictionMagenta : PaperText;
    colours.setColor(QPalette::Active, QPalette::Text, text);
    colours.setColor(QPalette::Inactive, QPalette::Text, text);
    setPalette(colours);
    describe();
}

void CellEdit::setRequiredMissing(bool missing)
{
    if (missing == requiredMissing_)
        return;
    requiredMissing_ = missing;
    describe();
}

void CellEdit::setTypable(bool typable)
{
    // Its own flag, not isEnabled(): a greyed window would grey every cell.
    if (typable == typable_)
        return;
    typable_ = typable;
    setReadOnly(!typable);
    setEnabled(typable);
    describe();
}

void CellEdit::setHelp(const QString &help)
{
    if (help == help_)
        return;
    help_ = help;
    describe();
}

void CellEdit::describe()
{
    QStringList parts;
    if (requiredMissing_)
        parts << RequiredMissingNote;
    if (contradicts_)
        parts << ContradictionNote;
    if (!typable_)
        parts << NotTypableNote;
    if (!help_.isEmpty())
        parts << help_;
    const QString description = parts.join(QLatin1Char(' '));
    // An unchanged description is not news to a screen reader.
    if (description != accessibleDescription())
        setAccessibleDescription(description);
}

void CellEdit::selectForOvertyping()
{
    setSelection(0, std::min<int>(SelectedOnArrival, static_cast<int>(text().size())));
}

void CellEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    selectForOvertyping();
    arrivingByClick_ = event->reason() == Qt::MouseFocusReason;
    emit arrived(cell_);
}

namespace {

// The full stop is the decimal point of every figure, whatever the desktop's
// language, and the number rule reads "2,5" as 2 without a word. A decimal
// comma typed into a cell is the decimal point the crew meant: from the main
// keyboard out of habit, or from the keypad's decimal key, which types a comma
// on German, French and many other layouts (and the Arabic decimal separator
// on Persian and Arabic ones).
bool typesDecimalComma(const QKeyEvent &key)
{
    const QString text = key.text();
    return text == QLatin1String(",") || text == QChar(0x066B);
}

} // namespace

void CellEdit::keyPressEvent(QKeyEvent *event)
{
    if (!typesDecimalComma(*event)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    QKeyEvent fullStop(QEvent::KeyPress, Qt::Key_Period, event->modifiers(), QStringLiteral("."),
                       event->isAutoRepeat());
    QLineEdit::keyPressEvent(&fullStop);
    event->setAccepted(fullStop.isAccepted());
}

void CellEdit::mousePressEvent(QMouseEvent *event)
{
    QLineEdit::mousePressEvent(event);
    // The press that brought the focus has just put the caret where it
    // landed; select again at once, so a key typed right after the click
    // still replaces the value.
    if (std::exchange(arrivingByClick_, false))
        selectForOvertyping();
}

void CellEdit::focusOutEvent(QFocusEvent *event)
{
    arrivingByClick_ = false;
    QLineEdit::focusOutEvent(event);
    emit left(cell_, event->reason());
}

} // namespace quorvel

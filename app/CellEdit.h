#pragma once

#include <QLineEdit>

namespace quorvel {

// One cell of the race sheet on screen. It tells the window when the crew
// arrives at it and leaves it, and selects its text on arrival so typing
// replaces the value.
//
// A screen reader hears the cell by its name (as the crew says it), and its
// description: what the colours tell a sighted crew, then the row's help.
class CellEdit : public QLineEdit
{
    Q_OBJECT

public:
    CellEdit(int cell, QWidget *parent);

    [[nodiscard]] int cell() const { return cell_; }
    // Shows the text in light magenta when it contradicts earlier data.
    void setContradicts(bool contradicts);
    [[nodiscard]] bool showsContradiction() const { return contradicts_; }
    // A required field still 0 or empty: its caption turns magenta.
    void setRequiredMissing(bool missing);
    // A result the sheet works out and the crew cannot type into is greyed,
    // and read-only to a screen reader.
    void setTypable(bool typable);
    void setHelp(const QString &help);

    static constexpr int SelectedOnArrival = 30;

    // What the description starts with in each state; a state is said
    // before the help, which can be long.
    static inline const QString RequiredMissingNote = QStringLiteral("Required, still missing.");
    static inline const QString ContradictionNote = QStringLiteral("Contradicts earlier data.");
    static inline const QString NotTypableNote =
        QStringLiteral("Worked out by the sheet, cannot be typed into.");

signals:
    void arrived(int cell);
    void left(int cell, Qt::FocusReason reason);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void selectForOvertyping();
    // Brings the description up to date; setting it tells a screen reader.
    void describe();

    int cell_;
    bool contradicts_ = false;
    bool requiredMissing_ = false;
    bool typable_ = true;
    QString help_;
    // The focus came with a mouse press, which places the caret after it.
    bool arrivingByClick_ = false;
};

} // namespace quorvel

#pragma once

#include <QLineEdit>

namespace quorvel {

// One cell of the race sheet on screen. It tells the window when the crew
// arrives at it and leaves it, and selects its text on arrival so typing
// replaces the value.
class CellEdit : public QLineEdit
{
    Q_OBJECT

public:
    CellEdit(int cell, QWidget *parent);

    [[nodiscard]] int cell() const { return cell_; }
    // Shows the text in light magenta when it contradicts earlier data.
    void setContradicts(bool contradicts);
    [[nodiscard]] bool showsContradiction() const { return contradicts_; }

    static constexpr int SelectedOnArrival = 30;

signals:
    void arrived(int cell);
    void left(int cell, Qt::FocusReason reason);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void selectForOvertyping();

    int cell_;
    bool contradicts_ = false;
    // The focus came with a mouse press, which places the caret after it.
    bool arrivingByClick_ = false;
};

} // namespace quorvel

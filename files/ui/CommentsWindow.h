#pragma once

#include <QPlainTextEdit>
#include <QWidget>

namespace quorvel {

class RaceDocument;

// The comment's text box: typing stops at a length, while a longer comment
// read from a file is still shown whole and can be shortened.
class CommentEdit : public QPlainTextEdit
{
    Q_OBJECT

public:
    static constexpr int TypingLimit = 1000;

    explicit CommentEdit(QWidget *parent);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    // Characters that may still be added in place of the selection.
    [[nodiscard]] int room() const;
};

// Where the crew reads and edits the comment kept with the race. Every change
// goes into the race at once, so closing needs nothing more. It closes on OK;
// the main window's navigator closes it when the crew goes to another window
// of the program.
class CommentsWindow : public QWidget
{
    Q_OBJECT

public:
    CommentsWindow(RaceDocument &document, QWidget *parent);

signals:
    // The crew changed the comment; the race already holds it.
    void commentChanged();

protected:
    // The crew starts typing into the comment at once.
    void showEvent(QShowEvent *event) override;

private:
    RaceDocument &document_;
    CommentEdit *text_;
};

} // namespace quorvel

#include "CommentsWindow.h"

#include "RaceDocument.h"
#include "Twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTextDocument>

namespace quorvel {
namespace {

constexpr int ClientWidth = 4680;
constexpr int ClientHeight = 3480;
constexpr TwipsRect TextBox = {120, 480, 4455, 2295};
constexpr TwipsRect Prompt = {120, 120, 4455, 255};
constexpr TwipsRect OkButton = {120, 3000, 4455, 375};

// The comment keeps CR LF line breaks; the text box works with LF.
QString forTextBox(const std::string &comment)
{
    return QString::fromStdString(comment).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// The text box's text as the crew typed it. toPlainText() would turn a
// no-break space into a plain one; the raw text keeps every character and
// marks line breaks with Unicode's separators.
std::string fromTextBox(const QTextDocument &text)
{
    QString raw = text.toRawText();
    raw.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    raw.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return raw.toStdString();
}

// The prompt shows whole in its box at any desktop font: a font too large
// for the box is made smaller until the prompt fits.
void fitIntoBox(QLabel &label)
{
    QFont font = label.font();
    constexpr qreal Smallest = 6;
    while (font.pointSizeF() > Smallest) {
        const QFontMetrics metrics(font);
        if (metrics.horizontalAdvance(label.text()) <= label.width() &&
            metrics.height() <= label.height())
            break;
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    label.setFont(font);
}

} // namespace

CommentEdit::CommentEdit(QWidget *parent) : QPlainTextEdit(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
}

int CommentEdit::room() const
{
    const QTextCursor cursor = textCursor();
    const int selected = cursor.selectionEnd() - cursor.selectionStart();
    return TypingLimit - (document()->characterCount() - 1 - selected);
}

void CommentEdit::keyPressEvent(QKeyEvent *event)
{
    const bool inserts = !event->text().isEmpty() &&
                         (event->text().at(0).isPrint() || event->key() == Qt::Key_Return ||
                          event->key() == Qt::Key_Enter);
    const bool withoutCommand = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (inserts && withoutCommand && room() < static_cast<int>(event->text().size())) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void CommentEdit::insertFromMimeData(const QMimeData *source)
{
    if (!source->hasText())
        return;
    const int available = std::max(0, room());
    insertPlainText(source->text().left(available));
}

CommentsWindow::CommentsWindow(RaceDocument &document, QWidget *parent)
    : QWidget(parent, Qt::Window), document_(document)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("comments"));
    setWindowTitle(QStringLiteral("Comments"));
    const double dpi = logicalDpiY();
    resize(TwipsToPixels(ClientWidth, dpi), TwipsToPixels(ClientHeight, dpi));

    text_ = new CommentEdit(this);
    text_->setObjectName(QStringLiteral("commentText"));
    text_->setGeometry(TwipsToPixels(TextBox, dpi));
    auto *prompt = new QLabel(QStringLiteral("Enter Comments to be saved with your data."), this);
    prompt->setGeometry(TwipsToPixels(Prompt, dpi));
    fitIntoBox(*prompt);
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setGeometry(TwipsToPixels(OkButton, dpi));
    // Enter on the focused OK presses it, as Space does. The window has no
    // default button: Enter in the text box starts a new line.
    ok->setAutoDefault(true);
    setTabOrder(text_, ok);

    text_->setPlainText(forTextBox(document_.comment()));
    connect(text_, &QPlainTextEdit::textChanged, this, [this] {
        document_.setComment(fromTextBox(*text_->document()));
        emit commentChanged();
    });
    connect(ok, &QPushButton::clicked, this, &QWidget::close);
}

void CommentsWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    text_->setFocus(Qt::ActiveWindowFocusReason);
}

} // namespace quorvel

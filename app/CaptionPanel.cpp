#include "CaptionPanel.h"

#include "CellEdit.h"

#include <QEvent>
#include <QMouseEvent>

namespace quorvel {
namespace {

const QColor PanelGrey(192, 192, 192);
const QColor MissingInputMagenta(128, 0, 128);
constexpr qreal SmallestPointSize = 6.0;
constexpr qreal PointStep = 0.25;

} // namespace

CaptionPanel::CaptionPanel(int panel, const QString &caption, QWidget *parent)
    : QLabel(caption, parent), panel_(panel)
{
    setObjectName(QStringLiteral("caption%1").arg(panel));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    setAlignment(Qt::AlignCenter);
    setWordWrap(caption.size() > 30);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, PanelGrey);
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);
}

void CaptionPanel::setMissingInput(bool missing)
{
    if (missing == missing_)
        return;
    missing_ = missing;
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, missing ? MissingInputMagenta : QColor(Qt::black));
    setPalette(colours);
    // The colour in words, for a screen reader reading the captions.
    setAccessibleDescription(missing ? CellEdit::RequiredMissingNote : QString());
}

void CaptionPanel::mousePressEvent(QMouseEvent *event)
{
    // Taken here: the frame behind the panel must not see the click as one
    // on its own background.
    event->accept();
    if (event->button() == Qt::LeftButton)
        emit clicked(panel_);
}

void CaptionPanel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    fitFont();
}

void CaptionPanel::fitFont()
{
    const QRect room = contentsRect().adjusted(1, 0, -1, 0);
    if (room.isEmpty())
        return;
    QFont font = parentWidget() ? parentWidget()->font() : this->font();
    const int flags = Qt::AlignCenter | (wordWrap() ? Qt::TextWordWrap : 0);
    while (font.pointSizeF() > SmallestPointSize) {
        const QRect needed = QFontMetrics(font).boundingRect(room, flags, text());
        if (needed.width() <= room.width() && needed.height() <= room.height())
            break;
        font.setPointSizeF(font.pointSizeF() - PointStep);
    }
    if (font != this->font())
        setFont(font);
}

} // namespace quorvel

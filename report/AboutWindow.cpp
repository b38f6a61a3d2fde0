#include "AboutWindow.h"

#include "Desktop.h"
#include "PrintCommand.h"
#include "ProgramVersion.h"
#include "Twips.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace quorvel {

namespace {

constexpr int ClientWidth = 7095;
constexpr int ClientHeight = 5985;
constexpr TwipsRect Logo = {120, 120, 1575, 1455};
constexpr TwipsRect OkButton = {120, 1680, 1575, 375};
constexpr TwipsRect PrintButton = {120, 2160, 1575, 375};
constexpr TwipsRect VersionPanel = {1920, 120, 5085, 2295};
constexpr TwipsRect VersionLabel = {40, 1365, 4935, 285}; // inside the panel

const QColor LightGrey(192, 192, 192);
const QColor VersionBlue(0, 0, 255);

} // namespace

AboutWindow::AboutWindow(Desktop &desktop, const QPixmap &logo, QWidget *parent)
    : QFrame(parent, Qt::Window | Qt::FramelessWindowHint), desktop_(desktop)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("about"));
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    const double dpi = logicalDpiY();
    setFixedSize(TwipsToPixels(ClientWidth, dpi), TwipsToPixels(ClientHeight, dpi));
    setAutoFillBackground(true);
    QPalette grey = palette();
    grey.setColor(QPalette::Window, LightGrey);
    setPalette(grey);

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("logo"));
    picture->setPixmap(logo);
    picture->setScaledContents(true);
    picture->setGeometry(TwipsToPixels(Logo, dpi));

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setGeometry(TwipsToPixels(OkButton, dpi));
    connect(ok, &QPushButton::clicked, this, &QWidget::close);
    // Enter on a focused button presses it, as Space does.
    ok->setAutoDefault(true);

    auto *printButton = new QPushButton(QStringLiteral("Print"), this);
    printButton->setObjectName(QStringLiteral("print"));
    printButton->setGeometry(TwipsToPixels(PrintButton, dpi));
    connect(printButton, &QPushButton::clicked, this, &AboutWindow::print);
    printButton->setAutoDefault(true);

    auto *panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setGeometry(TwipsToPixels(VersionPanel, dpi));
    auto *version = new QLabel(FullVersionText(), panel);
    version->setObjectName(QStringLiteral("version"));
    version->setAlignment(Qt::AlignCenter);
    QFont bold = version->font();
    bold.setPointSizeF(12);
    bold.setBold(true);
    version->setFont(bold);
    QPalette blue = version->palette();
    blue.setColor(QPalette::WindowText, VersionBlue);
    version->setPalette(blue);
    version->setGeometry(TwipsToPixels(VersionLabel, dpi));
}

void AboutWindow::mousePressEvent(QMouseEvent *event)
{
    // Only the background: the picture and the panel pass their clicks on
    // to this window too.
    if (event->button() == Qt::LeftButton && !childAt(event->position().toPoint()))
        close();
    else
        QFrame::mousePressEvent(event);
}

void AboutWindow::print()
{
    ReportPrinted(desktop_, this, desktop_.printImage(this));
}

} // namespace quorvel

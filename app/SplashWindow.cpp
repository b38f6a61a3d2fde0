#include "SplashWindow.h"

#include "ProgramFont.h"
#include "ProgramVersion.h"
#include "Twips.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QWindow>

namespace quorvel {
namespace {

constexpr int ClientWidth = 5010;
constexpr int ClientHeight = 4290;
constexpr TwipsRect MakerName = {180, 120, 4635, 435};
constexpr TwipsRect Picture = {840, 600, 3375, 3105};
constexpr TwipsRect ProgramNameLabel = {0, 3795, 4935, 495};

} // namespace

SplashWindow::SplashWindow(int shownMilliseconds, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    const double dpi = logicalDpiY();
    setFixedSize(TwipsToPixels(ClientWidth, dpi), TwipsToPixels(ClientHeight, dpi));
    setAutoFillBackground(true);
    // The program's own blue needs the light field it was chosen for (8.6:1
    // on white); on a dark desktop's field it would all but vanish. So the
    // splash keeps the sheet's paper look on every desktop.
    QPalette paper = palette();
    paper.setColor(QPalette::Window, Qt::white);
    paper.setColor(QPalette::WindowText, Qt::black);
    setPalette(paper);
    setFont(ProgramFont(18));

    auto *maker = new QLabel(QStringLiteral("Dunmere Inc."), this);
    maker->setAlignment(Qt::AlignCenter);
    maker->setGeometry(TwipsToPixels(MakerName, dpi));

    auto *picture = new QLabel(this);
    picture->setPixmap(QPixmap(QStringLiteral(":/quorvel/splash.png")));
    picture->setScaledContents(true);
    picture->setGeometry(TwipsToPixels(Picture, dpi));

    auto *name = new QLabel(ShortVersionText(), this);
    name->setAlignment(Qt::AlignCenter);
    name->setFont(ProgramFont(13.5));
    QPalette blue = name->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    name->setPalette(blue);
    name->setGeometry(TwipsToPixels(ProgramNameLabel, dpi));

    timer_.setInterval(shownMilliseconds);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &QWidget::close);
}

void SplashWindow::centreOn(QWidget *window)
{
    centre_ = window;
    window->installEventFilter(this);
    moveToCentre();
}

void SplashWindow::moveToCentre()
{
    if (centre_)
        move(centre_->frameGeometry().center() - rect().center());
}

bool SplashWindow::event(QEvent *event)
{
    // The main window takes input while the splash is up. A Wayland
    // compositor gives the keyboard to the newest window, the splash, so
    // what the crew types goes on to the main window's focused cell.
    const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    if (key && centre_ && centre_->windowHandle())
        return QCoreApplication::sendEvent(centre_->windowHandle(), event);
    return QWidget::event(event);
}

bool SplashWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == centre_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        moveToCentre();
    return QWidget::eventFilter(watched, event);
}

void SplashWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    timer_.start();
}

void SplashWindow::closeEvent(QCloseEvent *event)
{
    timer_.stop();
    QWidget::closeEvent(event);
    if (!finished_) {
        finished_ = true;
        emit finished();
    }
}

} // namespace quorvel

#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace quorvel {

// The maker's window shown over the main window for the first seconds.
class SplashWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int ShownMilliseconds = 3000;

    explicit SplashWindow(int shownMilliseconds = ShownMilliseconds, QWidget *parent = nullptr);

    // Keeps the splash centred on the window, also once the window manager
    // has moved that window to where it places it. Keys that reach the
    // splash go on to that window.
    void centreOn(QWidget *window);

signals:
    void finished();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void moveToCentre();

    QPointer<QWidget> centre_;
    QTimer timer_;
    bool finished_ = false;
};

} // namespace quorvel

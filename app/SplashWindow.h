#pragma once

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

signals:
    void finished();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QTimer timer_;
    bool finished_ = false;
};

} // namespace quorvel

#pragma once

#include <QFrame>
#include <QPixmap>

namespace quorvel {

class Desktop;

// The version window: logo, version, OK and Print. It has no title bar;
// OK or a click on its background closes it.
class AboutWindow : public QFrame
{
    Q_OBJECT

public:
    AboutWindow(Desktop &desktop, const QPixmap &logo, QWidget *parent);

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    void print();

    Desktop &desktop_;
};

} // namespace quorvel

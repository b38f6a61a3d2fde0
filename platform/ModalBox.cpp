#include "ModalBox.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QScopedValueRollback>

namespace quorvel {
namespace {

// While the box is up: keys meant for another of the program's windows go
// to the box, clicks and close requests there are held off.
class KeysToBox : public QObject
{
public:
    explicit KeysToBox(QMessageBox &box) : box_(box) { qApp->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Once answered, the box is hidden at once, but the keys typed after
        // the answer may still come in the same batch: they are the window's.
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget || widget->window() == &box_ || !box_.isVisible() || handingOn_)
            return false;
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            // The box hands a key it does not want to its parent, the
            // window: that one is not taken again.
            const QScopedValueRollback handingOn(handingOn_, true);
            QCoreApplication::sendEvent(box_.focusWidget() ? box_.focusWidget() : &box_, event);
            return true;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            return true;
        case QEvent::Close:
            event->ignore();
            return true;
        default:
            return false;
        }
    }

private:
    QMessageBox &box_;
    bool handingOn_ = false;
};

} // namespace

int RunModalBox(QMessageBox &box)
{
    const KeysToBox keys(box);
    QEventLoop loop;
    QObject::connect(&box, &QDialog::finished, &loop, &QEventLoop::quit);
    // Modal to the toolkit, it would never see the keys meant for the window.
    box.setWindowModality(Qt::NonModal);
    box.show();
    // As a modal box takes the keyboard, even where no window manager
    // hands it over.
    box.raise();
    box.activateWindow();
    loop.exec(QEventLoop::DialogExec);
    return box.standardButton(box.clickedButton());
}

} // namespace quorvel

#include "QtDesktop.h"

#include <QApplication>
#include <QMessageBox>

namespace quorvel {

QtDesktop::~QtDesktop()
{
    setBusyPointer(false);
}

void QtDesktop::showMessage(QWidget *parent, const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

void QtDesktop::setBusyPointer(bool busy)
{
    // The override cursor stacks; keep exactly one of ours on it.
    if (busy == busy_)
        return;
    busy_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

} // namespace quorvel

#include "QtDesktop.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>

namespace quorvel {
namespace {

// Without a window manager nobody hands the keyboard back to the window
// that opened a box once the box is gone; do it here, where a window
// manager would have.
void giveFocusBack(QWidget *parent)
{
    if (parent)
        parent->window()->activateWindow();
}

} // namespace

QtDesktop::~QtDesktop()
{
    setBusyPointer(false);
}

void QtDesktop::showMessage(QWidget *parent, const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
    giveFocusBack(parent);
}

Desktop::Answer QtDesktop::askYesNoCancel(QWidget *parent, const QString &text,
                                          const QString &title)
{
    QMessageBox box(QMessageBox::Question, title, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    const int answer = box.exec();
    giveFocusBack(parent);
    switch (answer) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

bool QtDesktop::askYesNo(QWidget *parent, const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    const int answer = box.exec();
    giveFocusBack(parent);
    return answer == QMessageBox::Yes;
}

namespace {

std::optional<QString> runFileDialog(QWidget *parent, const Desktop::FileDialog &dialog,
                                     QFileDialog::AcceptMode mode)
{
    QFileDialog box(parent, dialog.title, dialog.folder, dialog.filter);
    box.setAcceptMode(mode);
    box.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                    : QFileDialog::AnyFile);
    // The name is taken as typed: no extension is added.
    box.setDefaultSuffix(QString());
    box.selectFile(dialog.fileName);
    const int result = box.exec();
    giveFocusBack(parent);
    if (result != QDialog::Accepted || box.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = box.selectedFiles().constFirst();
    if (chosen.isEmpty())
        return std::nullopt;
    return QDir::cleanPath(chosen);
}

} // namespace

std::optional<QString> QtDesktop::chooseFileToOpen(QWidget *parent, const FileDialog &dialog)
{
    return runFileDialog(parent, dialog, QFileDialog::AcceptOpen);
}

std::optional<QString> QtDesktop::chooseFileToSave(QWidget *parent, const FileDialog &dialog)
{
    // QFileDialog asks before an existing file is replaced.
    return runFileDialog(parent, dialog, QFileDialog::AcceptSave);
}

std::optional<QString> QtDesktop::askText(QWidget *parent, const QString &prompt,
                                          const QString &title, const QString &initialText)
{
    QInputDialog box(parent);
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setTextValue(initialText);
    const int result = box.exec();
    giveFocusBack(parent);
    if (result != QDialog::Accepted)
        return std::nullopt;
    return box.textValue();
}

WindowPrinter &QtDesktop::printer()
{
    if (!printer_)
        printer_ = std::make_unique<WindowPrinter>();
    return *printer_;
}

void QtDesktop::choosePrinter(QWidget *parent)
{
    printer().chooseInDialog(parent);
    giveFocusBack(parent);
}

Desktop::PrintResult QtDesktop::printImage(QWidget *widget)
{
    return printer().print(widget);
}

bool QtDesktop::startProgram(const QString &program, const QStringList &arguments)
{
    return QProcess::startDetached(program, arguments);
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

#include "QtDesktop.h"

#include "ModalBox.h"
#include "ProgramStart.h"
#include "ProgramVersion.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QTreeView>

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

namespace {

// A long file name has no blank to wrap at, and a box as wide as the name
// runs off the screen: an invisible zero-width space after each slash (or
// backslash, in a Windows path) and
// within every long run without a blank lets it wrap there.
QString withBreakOpportunities(const QString &text)
{
    constexpr int LongestRun = 30;
    QString broken;
    int run = 0;
    for (const QChar c : text) {
        broken += c;
        run = c.isSpace() ? 0 : run + 1;
        if (c == u'/' || c == u'\\' || run >= LongestRun) {
            broken += QChar(0x200B);
            run = 0;
        }
    }
    return broken;
}

} // namespace

void QtDesktop::showMessage(QWidget *parent, const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, title, withBreakOpportunities(text), QMessageBox::Ok,
                    parent);
    RunModalBox(box);
    giveFocusBack(parent);
}

namespace {

// A modal question with the question icon and these buttons: the one chosen.
int ask(QWidget *parent, const QString &text, const QString &title,
        QMessageBox::StandardButtons buttons,
        QMessageBox::StandardButton preferred = QMessageBox::NoButton)
{
    QMessageBox box(QMessageBox::Question, title, text, buttons, parent);
    if (preferred != QMessageBox::NoButton)
        box.setDefaultButton(preferred);
    const int answer = RunModalBox(box);
    giveFocusBack(parent);
    return answer;
}

} // namespace

Desktop::Answer QtDesktop::askYesNoCancel(QWidget *parent, const QString &text,
                                          const QString &title)
{
    switch (ask(parent, text, title, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

bool QtDesktop::askYesNo(QWidget *parent, const QString &text, const QString &title,
                         Answer preferred)
{
    return ask(parent, text, title, QMessageBox::Yes | QMessageBox::No,
               preferred == Answer::Yes ? QMessageBox::Yes : QMessageBox::No) == QMessageBox::Yes;
}

namespace {

// Qt's own dialog reads double quotes in a typed name as a list of names
// ("a" "b") and keeps one of them: a crew's name is one name, quotes and all.
// Such a name is taken here as typed; every other one goes by Qt's rules.
class OneNameFileDialog final : public QFileDialog
{
public:
    using QFileDialog::QFileDialog;

    // The name typed with its quotes, as a path; empty for any other choice.
    [[nodiscard]] const QString &typedPath() const { return typedPath_; }

    void accept() override
    {
        const auto *nameEdit = findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (!nameEdit || !nameEdit->text().contains(u'"')) {
            QFileDialog::accept();
            return;
        }
        const QFileInfo chosen(directory().absoluteFilePath(nameEdit->text()));
        if (chosen.isDir()) {
            setDirectory(chosen.filePath());
            return;
        }
        const bool open = acceptMode() == AcceptOpen;
        if (open && !chosen.exists()) {
            QMessageBox::warning(this, windowTitle(),
                                 tr("%1\nFile not found.\nPlease verify the correct file name "
                                    "was given.")
                                     .arg(chosen.fileName()));
            return;
        }
        if (!open && chosen.exists() &&
            QMessageBox::warning(
                this, windowTitle(),
                tr("%1 already exists.\nDo you want to replace it?").arg(chosen.fileName()),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
            return;
        typedPath_ = chosen.filePath();
        QDialog::accept();
    }

private:
    QString typedPath_;
};

// Qt's default size cuts the size, type and date columns short ("477…tes"):
// they get the width their texts need, the name the rest of a dialog wide
// enough for both, as far as the screen allows.
void giveColumnsRoom(QFileDialog &box)
{
    if (auto *list = box.findChild<QTreeView *>(QStringLiteral("treeView"))) {
        QHeaderView *header = list->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int column = 1; column < header->count(); ++column)
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    const QFontMetrics metrics = box.fontMetrics();
    const QSize roomy(metrics.averageCharWidth() * 110, metrics.height() * 28);
    const QScreen *screen = box.screen();
    const QSize room = screen ? screen->availableSize() * 9 / 10 : roomy;
    box.resize(box.sizeHint().expandedTo(roomy).boundedTo(room));
}

std::optional<QString> runFileDialog(QWidget *parent, const Desktop::FileDialog &dialog,
                                     QFileDialog::AcceptMode mode)
{
    OneNameFileDialog box(parent, dialog.title, dialog.folder, dialog.filter);
    box.setAcceptMode(mode);
    box.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                    : QFileDialog::AnyFile);
    // The name is taken as typed: no extension is added.
    box.setDefaultSuffix(QString());
    box.selectFile(dialog.fileName);
    giveColumnsRoom(box);
    const int result = box.exec();
    giveFocusBack(parent);
    if (result != QDialog::Accepted)
        return std::nullopt;
    const QString chosen =
        box.typedPath().isEmpty() ? box.selectedFiles().value(0) : box.typedPath();
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
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

QFuture<bool> QtDesktop::startProgram(const QString &program, const QStringList &arguments)
{
    return StartProgram(program, arguments);
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

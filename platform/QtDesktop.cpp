#include "QtDesktop.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

extern char **environ;

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

namespace {

// How long a program has to fail before it counts as started: xdg-open
// finding no way to open a file ends within it (it took 1.2 s on a busy
// machine), and a viewer still there after it is showing its window.
constexpr std::chrono::seconds StartGrace(2);

// Collects the program's end on a thread of its own, whenever it comes, so
// that it never lingers as a zombie; the future gives its wait status.
std::future<int> watchEnd(pid_t program)
{
    std::promise<int> ending;
    std::future<int> ended = ending.get_future();
    std::thread([program, ending = std::move(ending)]() mutable {
        int status = 0;
        while (waitpid(program, &status, 0) < 0 && errno == EINTR) {
        }
        ending.set_value(status);
    }).detach();
    return ended;
}

} // namespace

bool QtDesktop::startProgram(const QString &program, const QStringList &arguments)
{
    std::vector<QByteArray> words{QFile::encodeName(program)};
    for (const QString &argument : arguments)
        words.push_back(QFile::encodeName(argument));
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    // A session of its own: the program outlives Quorvel, and a terminal's
    // hang-up or Ctrl+C meant for Quorvel does not reach it. Unlike
    // QProcess, nothing kills it when Quorvel ends, and unlike a detached
    // start its exit status can still be read.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t started = 0;
    const int failure =
        posix_spawnp(&started, argv.front(), nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    if (failure != 0)
        return false;

    std::future<int> ended = watchEnd(started);
    const QDeadlineTimer grace(StartGrace);
    while (ended.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
        if (grace.hasExpired())
            return true;
        // The window keeps painting meanwhile; the crew's input waits.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    const int status = ended.get();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
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

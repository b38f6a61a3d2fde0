#include "HelpViewer.h"

#include "Desktop.h"
#include "ManualViewers.h"
#include "ProgramVersion.h"

#include <QFutureWatcher>
#include <QWidget>

namespace quorvel {

namespace {

// Starts viewers[next] on the manual; the next one follows only when it
// fails. What is left to try goes with the window, should it go first.
void tryViewers(Desktop &desktop, QWidget *parent, const QString &book, const QStringList &viewers,
                qsizetype next)
{
    if (next == viewers.size()) {
        // The crew can still open the manual by hand.
        desktop.showMessage(parent,
                            QStringLiteral("An appropriate viewer was not found on your system.\n\n"
                                           "The manual is the file\n%1")
                                .arg(book),
                            ProgramName());
        return;
    }
    auto *viewer = new QFutureWatcher<bool>(parent);
    QObject::connect(viewer, &QFutureWatcherBase::finished, parent,
                     [&desktop, parent, book, viewers, next, viewer] {
                         viewer->deleteLater();
                         if (!viewer->result())
                             tryViewers(desktop, parent, book, viewers, next + 1);
                     });
    // The path goes as one argument, never through a shell: blanks or shell
    // characters in the program folder are taken as they are.
    viewer->setFuture(desktop.startProgram(viewers.at(next), {book}));
}

} // namespace

HelpViewer::HelpViewer(Desktop &desktop, QWidget *parent, const QString &programFolder)
    : desktop_(desktop), parent_(parent),
      bookPath_(programFolder + QStringLiteral("/help/lqrbook2.txt"))
{}

void HelpViewer::show()
{
    desktop_.showMessage(parent_,
                         QStringLiteral("When you are finished viewing the Help document, click "
                                        "on the [X] box in the upper right corner to return to "
                                        "the Quorvel."),
                         ProgramName());
    tryViewers(desktop_, parent_, bookPath_, ManualViewers(), 0);
}

} // namespace quorvel

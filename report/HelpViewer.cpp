#include "HelpViewer.h"

#include "Desktop.h"

namespace quorvel {

const QStringList HelpViewer::Viewers = {QStringLiteral("xdg-open"),
                                         QStringLiteral("gnome-text-editor"),
                                         QStringLiteral("gedit"), QStringLiteral("mousepad")};
const QString HelpViewer::ReturnMessage =
    QStringLiteral("When you are finished viewing the Help document, click on the [X] box in the "
                   "upper right corner to return to the Quorvel.");
const QString HelpViewer::NoViewerMessage =
    QStringLiteral("An appropriate viewer was not found on your system.");

namespace {

const QString ProgramTitle = QStringLiteral("Quorvel");

} // namespace

HelpViewer::HelpViewer(Desktop &desktop, QWidget *parent, const QString &programFolder,
                       QStringList viewers)
    : desktop_(desktop), parent_(parent),
      bookPath_(programFolder + QStringLiteral("/help/lqrbook2.txt")), viewers_(std::move(viewers))
{}

void HelpViewer::show()
{
    desktop_.showMessage(parent_, ReturnMessage, ProgramTitle);
    // The path goes as one argument, never through a shell: blanks or shell
    // characters in the program folder are taken as they are.
    for (const QString &viewer : viewers_) {
        if (desktop_.startProgram(viewer, {bookPath_}))
            return;
    }
    desktop_.showMessage(parent_, NoViewerMessage, ProgramTitle);
}

} // namespace quorvel

#include "HelpViewer.h"

#include "Desktop.h"
#include "ProgramVersion.h"

#include <QStringList>

namespace quorvel {

namespace {

// The desktop's own choice first, then the text editors of the common
// desktops.
const QStringList Viewers = {QStringLiteral("xdg-open"), QStringLiteral("gnome-text-editor"),
                             QStringLiteral("gedit"), QStringLiteral("mousepad")};

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
    // The path goes as one argument, never through a shell: blanks or shell
    // characters in the program folder are taken as they are.
    for (const QString &viewer : Viewers) {
        if (desktop_.startProgram(viewer, {bookPath_}))
            return;
    }
    // The crew can still open the manual by hand.
    desktop_.showMessage(parent_,
                         QStringLiteral("An appropriate viewer was not found on your system.\n\n"
                                        "The manual is the file\n%1")
                             .arg(bookPath_),
                         ProgramName());
}

} // namespace quorvel

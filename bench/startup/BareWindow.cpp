// The floor under Quorvel's start-up: the least a Qt program must do to show a
// main window of the same size. The start-up benchmark times this program and
// Quorvel the same way, so the difference is what Quorvel adds of its own.

#include <QApplication>
#include <QLayout>
#include <QMainWindow>
#include <QMenuBar>
#include <QWidget>

#include <cmath>

namespace {

// Quorvel's client area in twips (1440 to the inch): 755 x 523 pixels at
// 96 dpi. Converted the way Quorvel converts it, so the two windows keep the
// same size at any resolution.
constexpr int ClientWidthTwips = 11325;
constexpr int ClientHeightTwips = 7845;

int twipsToPixels(int twips, double dotsPerInch)
{
    return static_cast<int>(std::lround(twips * dotsPerInch / 1440.0));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    // One menu, so the menu bar has the height of Quorvel's.
    window.menuBar()->addMenu(QStringLiteral("File"));

    auto *client = new QWidget(&window);
    const double dotsPerInch = window.logicalDpiY();
    client->setFixedSize(twipsToPixels(ClientWidthTwips, dotsPerInch),
                         twipsToPixels(ClientHeightTwips, dotsPerInch));
    window.setCentralWidget(client);
    window.layout()->setSizeConstraint(QLayout::SetFixedSize);
    window.show();

    return QApplication::exec();
}

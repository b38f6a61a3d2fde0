// Quorvel: fuel calculation for racing crews at the pit wall.

#include "MainWindow.h"
#include "QtDesktop.h"
#include "Resources.h"
#include "SplashWindow.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>

namespace {

// Without a display Qt would abort with a message about platform plugins;
// a crew deserves to be told what to do instead.
bool hasDisplay()
{
    const auto set = [](const char *name) {
        const char *value = std::getenv(name);
        return value && *value;
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

} // namespace

int main(int argc, char *argv[])
{
    if (!hasDisplay()) {
        std::fputs("Quorvel is a desktop program and needs a graphical display, but none was "
                   "found (DISPLAY and WAYLAND_DISPLAY are not set).\n"
                   "On a machine without a screen, run it under a virtual X server:\n"
                   "    xvfb-run -a build/bin/quorvel\n"
                   "To recalculate race files without a window, use quorvel-calc.\n",
                   stderr);
        return EXIT_FAILURE;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    quorvel::LoadPictures();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quorvel/quorvel-32.png")));

    quorvel::QtDesktop desktop;
    quorvel::MainWindow mainWindow(QCoreApplication::applicationDirPath(), desktop);
    QObject::connect(&mainWindow, &quorvel::MainWindow::endRequested, &application,
                     [] { QCoreApplication::exit(EXIT_SUCCESS); });
    mainWindow.show();

    auto *splash = new quorvel::SplashWindow;
    QObject::connect(splash, &quorvel::SplashWindow::finished, &mainWindow,
                     &quorvel::MainWindow::takeOverFromSplash);
    desktop.setBusyPointer(true);
    splash->centreOn(&mainWindow);
    splash->show();

    return QApplication::exec();
}

// Quorvel: fuel calculation for racing crews at the pit wall.

#include "MainWindow.h"
#include "ProgramFolders.h"
#include "ProgramVersion.h"
#include "QtDesktop.h"
#include "SplashWindow.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

namespace {

// Without a display Qt would abort with a message about platform plugins;
// a crew deserves to be told what to do instead. Of the platforms Qt may be
// told to try in turn, X11 needs DISPLAY and Wayland WAYLAND_DISPLAY; the
// others (offscreen, VNC) need no display.
bool hasDisplay()
{
    const auto set = [](const char *name) {
        const char *value = std::getenv(name);
        return value && *value;
    };
    if (!set("QT_QPA_PLATFORM"))
        return set("DISPLAY") || set("WAYLAND_DISPLAY");
    std::istringstream platforms(std::getenv("QT_QPA_PLATFORM"));
    for (std::string platform; std::getline(platforms, platform, ';');) {
        const std::string name = platform.substr(0, platform.find(':'));
        if (name == "xcb"                 ? set("DISPLAY")
            : name.starts_with("wayland") ? set("WAYLAND_DISPLAY")
                                          : true)
            return true;
    }
    return false;
}

// The command as a crew can paste it into a shell anywhere: a path made
// absolute, quoted when it holds blanks or other characters the shell would
// act on.
std::string shellWord(const char *word)
{
    std::string text = word && *word ? word : "quorvel";
    if (text.find('/') != std::string::npos)
        text = std::filesystem::absolute(text).lexically_normal().string();
    const bool plain = text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                              "0123456789/._+-") == std::string::npos;
    if (plain)
        return text;
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

} // namespace

int main(int argc, char *argv[])
{
    if (!hasDisplay()) {
        // Named as the crew started it, so the hint works for the installed
        // program on the PATH as well as for a build tree.
        std::fprintf(stderr,
                     "Quorvel is a desktop program and needs a graphical display, but none was "
                     "found (%s).\n"
                     "Start it on a desktop, or on this machine from a computer with a desktop\n"
                     "over SSH, which shows the window there:\n"
                     "    ssh -X THIS-MACHINE %s\n"
                     "To recalculate race files without a window, use quorvel-calc.\n",
                     std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY")
                         ? "not the one QT_QPA_PLATFORM names"
                         : "DISPLAY and WAYLAND_DISPLAY are not set",
                     shellWord(argc > 0 ? argv[0] : nullptr).c_str());
        return EXIT_FAILURE;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(quorvel::ProgramName());
    // The desktop entry's name, so docks and task bars put the window under
    // its launcher (the Wayland app id; StartupWMClass in the entry does it on X11).
    QGuiApplication::setDesktopFileName(QStringLiteral("com.dunmere.Quorvel"));
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

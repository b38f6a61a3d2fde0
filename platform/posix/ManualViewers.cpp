#include "ManualViewers.h"

namespace quorvel {

QStringList ManualViewers()
{
#ifdef Q_OS_WIN
    return {QStringLiteral("C:\\Progra~1\\Access~1\\WORDPAD.EXE"),
            QStringLiteral("C:\\Windows\\WORDPAD.EXE"), QStringLiteral("notepad"),
            QStringLiteral("c:\\Windows\\notepad")};
#else
    // The desktop's own choice first, then the text editors of the common
    // desktops.
    return {QStringLiteral("xdg-open"), QStringLiteral("gnome-text-editor"),
            QStringLiteral("gedit"), QStringLiteral("mousepad")};
#endif
}

} // namespace quorvel

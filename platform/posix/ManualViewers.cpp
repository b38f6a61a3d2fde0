#include "ManualViewers.h"

namespace quorvel {

QStringList ManualViewers()
{
    // The desktop's own choice first, then the text editors of the common
    // desktops.
    return {QStringLiteral("xdg-open"), QStringLiteral("gnome-text-editor"),
            QStringLiteral("gedit"), QStringLiteral("mousepad")};
}

} // namespace quorvel

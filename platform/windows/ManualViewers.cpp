#include "ManualViewers.h"

namespace quorvel {

QStringList ManualViewers()
{
    // WordPad where the crews' older laptops keep it, then where newer ones
    // do, then Notepad found on the PATH and in the Windows folder.
    return {QStringLiteral("C:\\Progra~1\\Access~1\\WORDPAD.EXE"),
            QStringLiteral("C:\\Windows\\WORDPAD.EXE"), QStringLiteral("notepad"),
            QStringLiteral("c:\\Windows\\notepad")};
}

} // namespace quorvel

#pragma once

#include <QStringList>

namespace quorvel {

// The programs that may show the manual, a plain-text file, most preferred
// first; each is given the file as its one argument. They differ by system.
QStringList ManualViewers();

} // namespace quorvel

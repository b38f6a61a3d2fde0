#pragma once

#include <QCoreApplication>

namespace quorvel {

// Runs what the last event queued: focus moves, and the warnings they queue
// in turn.
inline void Settle()
{
    for (int round = 0; round < 3; ++round)
        QCoreApplication::processEvents();
}

} // namespace quorvel

#pragma once

#include <QFuture>
#include <QString>
#include <QStringList>

namespace quorvel {

// Starts a program with the arguments, without a shell and without waiting
// for it, and apart from this one: it outlives the program, and nothing of
// ours ends it. The future tells how it ended, whenever that is: true when
// it ended well, false when it could not start or failed.
QFuture<bool> StartProgram(const QString &program, const QStringList &arguments);

} // namespace quorvel

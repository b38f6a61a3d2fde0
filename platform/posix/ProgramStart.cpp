#include "ProgramStart.h"

#include <QFile>
#include <QPromise>

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <string>
#include <thread>
#include <vector>

extern char **environ;

namespace quorvel {

QFuture<bool> StartProgram(const QString &program, const QStringList &arguments)
{
    std::vector<std::string> words{QFile::encodeName(program).toStdString()};
    for (const QString &argument : arguments)
        words.push_back(QFile::encodeName(argument).toStdString());
    std::vector<char *> argv;
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    // A session of its own: the program outlives Quorvel, and a terminal's
    // hang-up or Ctrl+C meant for Quorvel does not reach it. Unlike
    // QProcess, nothing kills it when Quorvel ends, and unlike a detached
    // start its exit status can still be read.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t started = 0;
    const int failure =
        posix_spawnp(&started, argv.front(), nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);

    QPromise<bool> outcome;
    QFuture<bool> told = outcome.future();
    outcome.start();
    if (failure != 0) {
        outcome.addResult(false);
        outcome.finish();
        return told;
    }
    // A viewer may take seconds to fail (xdg-open finding nothing to open
    // the file with) or to show the file, so only its end tells the two
    // apart. It is collected on a thread of its own, whenever it comes, so
    // that it never lingers as a zombie.
    std::thread([started, outcome = std::move(outcome)]() mutable {
        int status = 0;
        while (waitpid(started, &status, 0) < 0 && errno == EINTR) {
        }
        outcome.addResult(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        outcome.finish();
    }).detach();
    return told;
}

} // namespace quorvel

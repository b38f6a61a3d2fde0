#include "ProgramStart.h"

#include <QPromise>

#include <windows.h>

#include <thread>

namespace quorvel {

namespace {

// One word of a Windows command line, quoted so that the started program's
// C runtime reads it back as it was: backslashes count only before a quote.
QString quoted(const QString &word)
{
    if (!word.isEmpty() && !word.contains(QLatin1Char(' ')) && !word.contains(QLatin1Char('\t')) &&
        !word.contains(QLatin1Char('"')))
        return word;
    QString line = QStringLiteral("\"");
    int backslashes = 0;
    for (const QChar c : word) {
        if (c == u'\\') {
            ++backslashes;
            continue;
        }
        line += QString(c == u'"' ? backslashes * 2 + 1 : backslashes, QLatin1Char('\\'));
        line += c;
        backslashes = 0;
    }
    line += QString(backslashes * 2, QLatin1Char('\\'));
    return line + QLatin1Char('"');
}

} // namespace

QFuture<bool> StartProgram(const QString &program, const QStringList &arguments)
{
    QString commandLine = quoted(program);
    for (const QString &argument : arguments)
        commandLine += QLatin1Char(' ') + quoted(argument);
    std::wstring line = commandLine.toStdWString();

    // Windows looks the program up as its command line does: in the
    // program's folder, the system folders, then the PATH, adding ".exe".
    // A process group of its own keeps a Ctrl+C meant for Quorvel from it.
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    const bool ok = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE,
                                   CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup, &started);

    QPromise<bool> outcome;
    QFuture<bool> told = outcome.future();
    outcome.start();
    if (!ok) {
        outcome.addResult(false);
        outcome.finish();
        return told;
    }
    CloseHandle(started.hThread);
    // Only the viewer's end tells a failure from a file shown; it is
    // awaited on a thread of its own, whenever it comes.
    std::thread([process = started.hProcess, outcome = std::move(outcome)]() mutable {
        DWORD status = 1;
        WaitForSingleObject(process, INFINITE);
        GetExitCodeProcess(process, &status);
        CloseHandle(process);
        outcome.addResult(status == 0);
        outcome.finish();
    }).detach();
    return told;
}

} // namespace quorvel

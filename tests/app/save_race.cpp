// One Save As, as the window runs it, in a program of its own, so that a test
// can fail or kill it at any file call (tests/support/file_faults.cpp):
//   save_race PROGRAM FILE COMMENT  saves the sheet with COMMENT to FILE;
//                                   prints "saved" and the box's words
//   save_race PROGRAM --start       what a start does: puts back races a
//                                   crash cut short, clears stray temporary
//                                   files in PROGRAM/lqrfiles

#include "FileCommands.h"
#include "RaceDocument.h"
#include "RecoveryKeeper.h"
#include "ScriptedDesktop.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    quorvel::ScriptedDesktop desktop;
    const auto folders = quorvel::ProgramFolders::besideProgram(arguments.value(1));
    quorvel::RaceDocument document(folders);
    if (arguments.value(2) == "--start") {
        quorvel::RecoveryKeeper keeper(document, desktop, folders.recoveryFolder, nullptr);
        keeper.offerLeftCopy();
    } else {
        document.setComment(arguments.value(3).toStdString());
        quorvel::FileCommands commands(document, desktop, nullptr);
        desktop.fileChoices = {QFileInfo(arguments.value(2)).absoluteFilePath()};
        if (commands.saveAs())
            std::puts("saved");
    }
    for (const auto &message : desktop.messages)
        std::puts(qPrintable(message.text));
    // Nothing more: the file calls counted are the save's.
    std::fflush(stdout);
    std::_Exit(0);
}

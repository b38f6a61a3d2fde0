// quorvel-calc: recalculates a race file without the window, for crews who
// want the numbers in a terminal and for scripts.

#include "RaceDocument.h"
#include "SheetJson.h"
#include "SheetTable.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <iostream>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view Usage = "Usage: quorvel-calc [--json | --recalculated] FILE\n"
                                   "\n"
                                   "Recalculates the race file FILE and prints:\n"
                                   "  (no option)      the sheet as a table\n"
                                   "  --json           the sheet and its display state as JSON\n"
                                   "  --recalculated   the recalculated race file\n";

enum class Output { Table, Json, RaceFile };

constexpr int Success = 0;
constexpr int FileProblem = 1;
constexpr int BadUsage = 2;

} // namespace

int main(int argc, char *argv[])
{
    const QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);

    Output output = Output::Table;
    QString path;
    for (const QString &argument : arguments) {
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            std::cout << Usage;
            return Success;
        }
        if (argument == QLatin1String("--json") && output == Output::Table) {
            output = Output::Json;
        } else if (argument == QLatin1String("--recalculated") && output == Output::Table) {
            output = Output::RaceFile;
        } else if (!argument.startsWith(QLatin1Char('-')) && path.isEmpty()) {
            path = argument;
        } else {
            std::cerr << Usage;
            return BadUsage;
        }
    }
    if (path.isEmpty()) {
        std::cerr << Usage;
        return BadUsage;
    }

    // As the window does: the empty sheet is worked out once at start, then
    // the file is read into it.
    quorvel::RaceDocument document(QCoreApplication::applicationDirPath().toStdString());
    document.recalculate();
    const std::string file = QFileInfo(path).absoluteFilePath().toStdString();
    const auto read = document.readRaceFile(file);
    switch (read.status) {
    case quorvel::RaceFileReadStatus::Read:
        break;
    case quorvel::RaceFileReadStatus::NotARaceFile:
        std::cerr << "This is not a Quorvel file and can not be used.\n";
        return FileProblem;
    case quorvel::RaceFileReadStatus::CannotOpen:
        std::cerr << "quorvel-calc: cannot open " << path.toStdString() << ": " << read.reason
                  << '\n';
        return FileProblem;
    }

    switch (output) {
    case Output::Table:
        quorvel::PrintSheetTable(std::cout, document, read.recalculation);
        break;
    case Output::Json:
        std::cout << quorvel::SheetJson(document, read.recalculation).toStdString();
        break;
    case Output::RaceFile:
        std::cout << quorvel::SerializeRaceFile(document.fileContents());
        break;
    }
    std::cout.flush();
    return std::cout ? Success : FileProblem;
}

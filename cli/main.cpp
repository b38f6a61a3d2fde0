// quorvel-calc: recalculates a race file without the window, for crews who
// want the numbers in a terminal and for scripts.

#include "RaceDocument.h"
#include "SheetJson.h"
#include "SheetTable.h"
#include "TerminalText.h"
#include "TextFields.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view Usage =
    "Usage: quorvel-calc [--json | --recalculated] [--] FILE\n"
    "\n"
    "Recalculates the race file FILE and prints:\n"
    "  (no option)      the sheet as a table\n"
    "  --json           the sheet and its display state as JSON\n"
    "  --recalculated   the recalculated race file\n"
    "  --               ends the options: FILE may begin with -\n"
    "\n"
    "Exit status: 0 done; 1 FILE cannot be read or is no race file,\n"
    "or the output cannot be written; 2 bad usage; 3 done, but\n"
    "texts in FILE were longer than Quorvel keeps and were cut.\n";

enum class Output { Table, Json, RaceFile };

constexpr int Success = 0;
constexpr int FileProblem = 1;
constexpr int BadUsage = 2;
// The sheet is printed, but a script must not take it for the whole file.
constexpr int TextsCut = 3;

// A path as the crew can read it in a message: its bytes as the race files'
// texts are decoded, control characters as codes.
std::string shownPath(const std::string &path)
{
    return quorvel::TerminalText(quorvel::DecodeFileText(path));
}

// A script must learn that the output did not arrive (a full disk, a closed
// pipe), not just find it short.
int endWith(int status)
{
    std::cout.flush();
    if (std::cout)
        return status;
    const int error = errno;
    std::cerr << "quorvel-calc: could not write the output: " << std::strerror(error) << '\n';
    return FileProblem;
}

} // namespace

int main(int argc, char *argv[])
{
    const QCoreApplication application(argc, argv);

    // The arguments as the bytes they are: a file name need not be UTF-8.
    Output output = Output::Table;
    std::optional<std::string> path;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (options && argument == "--") {
            options = false;
        } else if (options && (argument == "--help" || argument == "-h")) {
            std::cout << Usage;
            return endWith(Success);
        } else if (options && argument == "--json" && output == Output::Table) {
            output = Output::Json;
        } else if (options && argument == "--recalculated" && output == Output::Table) {
            output = Output::RaceFile;
        } else if ((!options || !argument.starts_with('-')) && !path) {
            path = argument;
        } else {
            std::cerr << Usage;
            return BadUsage;
        }
    }
    if (!path) {
        std::cerr << Usage;
        return BadUsage;
    }

    // As the window does: the empty sheet is worked out once at start, then
    // the file is read into it.
    quorvel::RaceDocument document(
        QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString());
    document.recalculate();
    std::error_code noFolder; // the working folder may be gone: read the path as given
    const std::filesystem::path absolute = std::filesystem::absolute(*path, noFolder);
    const auto read = document.readRaceFile(
        (noFolder ? std::filesystem::path(*path) : absolute).lexically_normal());
    switch (read.status) {
    case quorvel::RaceFileReadStatus::Read:
        break;
    case quorvel::RaceFileReadStatus::NotARaceFile:
        std::cerr << "This is not a Quorvel file and can not be used.\n";
        return FileProblem;
    case quorvel::RaceFileReadStatus::CannotOpen:
        std::cerr << "quorvel-calc: cannot open " << shownPath(*path) << ": " << read.reason
                  << '\n';
        return FileProblem;
    }

    if (read.cut)
        std::cerr << "quorvel-calc: " << shownPath(*path)
                  << ": texts longer than Quorvel keeps (a cell keeps 4,096 characters, the "
                     "comment 1 MiB) were cut; the output holds only their beginnings\n";

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
    return endWith(read.cut ? TextsCut : Success);
}

// quorvel-calc: recalculates race files without the window, for crews who
// want the numbers in a terminal and for scripts.

#include "RaceDocument.h"
#include "SheetJson.h"
#include "SheetTable.h"
#include "StandardStreams.h"
#include "TerminalText.h"
#include "TextFields.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view Usage =
    "Usage: quorvel-calc [--json | --recalculated] [--] FILE...\n"
    "\n"
    "Recalculates each race file FILE and prints:\n"
    "  (no option)      the sheet as a table\n"
    "  --json           the sheet and its display state as JSON\n"
    "  --recalculated   the recalculated race file (one FILE only)\n"
    "  --               ends the options: a FILE may begin with -\n"
    "\n"
    "With several files each table is headed \"==> FILE <==\", and --json\n"
    "prints an array of objects, each naming its \"file\".\n"
    "\n"
    "Exit status, the worst of all files': 0 done; 3 done, but texts in a\n"
    "FILE were longer than Quorvel keeps and were cut; 1 a FILE cannot be\n"
    "read or is no race file, or the output cannot be written; 2 bad usage.\n";

enum class Output { Table, Json, RaceFile };

constexpr int Success = 0;
constexpr int FileProblem = 1;
constexpr int BadUsage = 2;
// The sheet is printed, but a script must not take it for the whole file.
constexpr int TextsCut = 3;

// A file that gave no sheet outweighs one whose texts were cut.
int worse(int status, int other)
{
    const auto rank = [](int s) { return s == FileProblem ? 2 : s == TextsCut ? 1 : 0; };
    return rank(other) > rank(status) ? other : status;
}

// A path as the crew can read it in a message: control characters as codes.
std::string shownPath(std::string_view path)
{
    return quorvel::TerminalText(quorvel::DecodeName(path));
}

int badUsage(std::string_view why)
{
    std::cerr << "quorvel-calc: " << why << '\n' << Usage;
    return BadUsage;
}

// Standard output. A script must learn that the output did not arrive (a
// full disk, a closed pipe or stream), and why, not just find it short.
class StandardOutput
{
public:
    bool write(std::string_view bytes)
    {
        errno = 0;
        if (error_ == 0 && std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size())
            error_ = errno != 0 ? errno : EIO;
        return error_ == 0;
    }
    // Everything so far on its way: before a message, which goes out at once.
    bool flush()
    {
        errno = 0;
        if (error_ == 0 && std::fflush(stdout) != 0)
            error_ = errno != 0 ? errno : EIO;
        return error_ == 0;
    }
    [[nodiscard]] int finish(int status)
    {
        if (flush())
            return status;
        std::cerr << "quorvel-calc: cannot write the output: " << std::strerror(error_) << '\n';
        return FileProblem;
    }

private:
    int error_ = 0;
};

// Reads one race file into a copy of the start document and prints it; a
// problem goes to standard error under the file's name.
class Calculation
{
public:
    Calculation(Output output, bool several, StandardOutput &out)
        : output_(output), several_(several), out_(out),
          start_(QCoreApplication::applicationDirPath())
    {
        // As the window does: the empty sheet is worked out once at start,
        // then each file is read into it.
        start_.recalculate();
        if (output_ == Output::Json && several_)
            out_.write("[");
    }

    int run(const std::string &path)
    {
        quorvel::RaceDocument document = start_;
        std::error_code noFolder; // the working folder may be gone: read the path as given
        const std::filesystem::path absolute = std::filesystem::absolute(path, noFolder);
        // Qt's file names are text: one that is not UTF-8 leads nowhere.
        if (!quorvel::IsValidUtf8(path))
            return fail(path, "cannot open " + shownPath(path) +
                                  ": the name is not UTF-8; rename the file to read it");
        const auto read = document.readRaceFile(QString::fromStdString(
            (noFolder ? std::filesystem::path(path) : absolute).lexically_normal().string()));
        switch (read.status) {
        case quorvel::RaceFileReadStatus::Read:
            break;
        case quorvel::RaceFileReadStatus::NotARaceFile:
            return fail(path,
                        shownPath(path) + ": This is not a Quorvel file and can not be used.");
        case quorvel::RaceFileReadStatus::CannotOpen:
            return fail(path, "cannot open " + shownPath(path) + ": " + read.reason.toStdString());
        }
        if (read.cut)
            tell(shownPath(path) +
                 ": texts longer than Quorvel keeps (a cell keeps 4,096 bytes of text, the "
                 "comment 1 MiB) were cut; the output holds only their beginnings");
        print(path, document, read.recalculation);
        return read.cut ? TextsCut : Success;
    }

    void finish()
    {
        if (output_ == Output::Json && several_)
            out_.write(printed_ ? "\n]\n" : "]\n");
    }

private:
    void tell(const std::string &message)
    {
        out_.flush();
        std::cerr << "quorvel-calc: " << message << '\n';
    }

    int fail(const std::string &path, const std::string &message)
    {
        tell(message);
        if (output_ == Output::Json && several_) {
            QJsonObject failed;
            failed.insert(QStringLiteral("error"), QString::fromStdString(message));
            printJson(path, failed);
        }
        return FileProblem;
    }

    void printJson(const std::string &path, QJsonObject object)
    {
        object.insert(QStringLiteral("file"), QString::fromStdString(quorvel::DecodeName(path)));
        out_.write(printed_ ? ",\n" : "\n");
        out_.write(QJsonDocument(object).toJson(QJsonDocument::Indented).trimmed().toStdString());
        printed_ = true;
    }

    void print(const std::string &path, const quorvel::RaceDocument &document,
               const quorvel::RecalculationOutcome &recalculation)
    {
        switch (output_) {
        case Output::Table: {
            std::ostringstream table;
            if (several_)
                table << (printed_ ? "\n" : "") << "==> " << shownPath(path) << " <==\n";
            quorvel::PrintSheetTable(table, document, recalculation);
            out_.write(table.view());
            break;
        }
        case Output::Json:
            if (several_)
                printJson(path, quorvel::SheetJson(document, recalculation));
            else
                out_.write(QJsonDocument(quorvel::SheetJson(document, recalculation))
                               .toJson(QJsonDocument::Indented)
                               .toStdString());
            break;
        case Output::RaceFile:
            out_.write(quorvel::SerializeRaceFile(document.fileContents()));
            break;
        }
        printed_ = true;
    }

    const Output output_;
    const bool several_;
    StandardOutput &out_;
    quorvel::RaceDocument start_;
    bool printed_ = false;
};

} // namespace

int main(int argc, char *argv[])
{
    PrepareStandardStreams();
    const QCoreApplication application(argc, argv);
    StandardOutput out;

    // The arguments as the bytes they are: a file name need not be UTF-8.
    Output output = Output::Table;
    std::vector<std::string> paths;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (options && argument == "--") {
            options = false;
        } else if (options && (argument == "--help" || argument == "-h")) {
            out.write(Usage);
            return out.finish(Success);
        } else if (options && (argument == "--json" || argument == "--recalculated")) {
            if (output != Output::Table)
                return badUsage("--json and --recalculated: choose one output");
            output = argument == "--json" ? Output::Json : Output::RaceFile;
        } else if (options && argument.starts_with('-')) {
            return badUsage("unknown option " + shownPath(argument));
        } else {
            paths.emplace_back(argument);
        }
    }
    if (paths.empty())
        return badUsage("no FILE given");
    // Race files one after another would read as one race to whatever takes them.
    if (output == Output::RaceFile && paths.size() > 1)
        return badUsage("--recalculated takes one FILE");

    Calculation calculation(output, paths.size() > 1, out);
    int status = Success;
    for (const std::string &path : paths) {
        status = worse(status, calculation.run(path));
        // Nothing more can arrive: stop reading.
        if (!out.flush())
            return out.finish(status);
    }
    calculation.finish();
    return out.finish(status);
}

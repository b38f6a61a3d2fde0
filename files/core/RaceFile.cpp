#include "RaceFile.h"

#include "TextFields.h"

#include <algorithm>

namespace quorvel {
namespace {

// Line breaks of any kind as a line feed.
QByteArray lineFeedsOnly(std::string_view text)
{
    QByteArray bytes(text.data(), static_cast<qsizetype>(text.size()));
    return bytes.replace("\r\n", "\n").replace('\r', '\n');
}

// How a cell text is written on its line: cell texts the field rule would
// split or strip (a comma, a leading blank or double quote) are quoted; a
// text that needs quoting and holds a double quote loses its double quotes,
// since the format cannot hold them there, so no other cell ever shifts.
std::string cellFileText(std::string_view text)
{
    std::string line(text);
    // A cell is one line of the file.
    for (char &c : line) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    const auto needsQuotes = [](std::string_view t) {
        return !t.empty() && (t.front() == ' ' || t.front() == '\t' || t.front() == '"' ||
                              t.find(',') != std::string_view::npos);
    };
    if (!needsQuotes(line))
        return line;
    if (line.find('"') != std::string::npos) {
        std::erase(line, '"');
        if (!needsQuotes(line))
            return line;
    }
    return '"' + line + '"';
}

// A comment line that reads like the end marker would end the comment there
// on reading and lose the rest; a blank after it keeps it a line of the
// comment.
std::string commentFileText(std::string_view comment)
{
    const QByteArray marker(CommentEndMarker.data(), CommentEndMarker.size());
    QByteArrayList lines = lineFeedsOnly(comment).split('\n');
    for (QByteArray &line : lines) {
        if (line == marker)
            line += ' ';
    }
    return lines.join("\r\n").toStdString();
}

} // namespace

RaceFileReadResult ParseRaceFile(FieldReader &reader)
{
    RaceFileReadResult result;
    // Only bytes that are the magic decode to it.
    if (reader.readField(RaceFileMagic.size()) != RaceFileMagic || reader.cutText()) {
        result.status = RaceFileReadStatus::NotARaceFile;
        return result;
    }
    result.status = RaceFileReadStatus::Read;
    RaceFileContents &contents = result.contents;
    contents.inputMode = reader.readIntegerField();
    contents.unitSystem = reader.readIntegerField();
    for (std::string &cell : contents.cells) {
        if (reader.atEnd())
            break;
        cell = reader.readField(CellTextLimit);
    }

    // Every line up to the end marker is the comment; without the marker,
    // every line to the end of the file.
    // Past the limit the lines are still read, to find the marker, but no
    // longer kept: a line that does not fit whole is the last one kept.
    bool reachedMarker = false;
    bool firstLine = true;
    bool full = false;
    while (const std::optional<std::string> line = reader.readLine(CommentLimit)) {
        if (*line == CommentEndMarker) {
            reachedMarker = true;
            break;
        }
        if (full)
            continue;
        const std::string_view breakBefore = firstLine ? std::string_view() : LineEnd;
        full = contents.comment.size() + breakBefore.size() + line->size() > CommentLimit;
        if (contents.comment.size() + breakBefore.size() <= CommentLimit) {
            contents.comment += breakBefore;
            contents.comment += *line;
            CutWithin(contents.comment, CommentLimit);
        }
        firstLine = false;
    }
    if (reachedMarker && !reader.atEnd())
        contents.gasketInput = reader.readIntegerField();
    result.cut = full || reader.cutText();
    return result;
}

RaceFileReadResult ReadRaceFile(const QString &path)
{
    QFile file(path);
    RaceFileReadResult result;
    QString problem = OpenRegularFile(file);
    if (problem.isEmpty()) {
        FieldReader reader(file);
        result = ParseRaceFile(reader);
        if (file.error() != QFileDevice::NoError)
            problem = file.errorString();
    }
    // A file that cannot be opened, or fails part way, gives nothing.
    if (!problem.isEmpty()) {
        result = {};
        result.status = RaceFileReadStatus::CannotOpen;
        result.reason = problem;
    }
    return result;
}

std::string NormaliseLineBreaks(std::string_view text)
{
    return lineFeedsOnly(text).replace("\n", "\r\n").toStdString();
}

std::string SerializeRaceFile(const RaceFileContents &contents)
{
    std::string bytes;
    bytes.reserve(1024 + contents.comment.size());
    bytes += RaceFileMagic;
    bytes += LineEnd;
    bytes += IntegerLine(contents.inputMode.value_or(0));
    bytes += IntegerLine(contents.unitSystem.value_or(0));
    for (const std::string &cell : contents.cells) {
        bytes += cellFileText(cell);
        bytes += LineEnd;
    }
    bytes += commentFileText(contents.comment);
    bytes += LineEnd;
    bytes += CommentEndMarker;
    bytes += LineEnd;
    return bytes;
}

} // namespace quorvel

#include "RaceFile.h"

#include "RegularFile.h"
#include "TextFields.h"

#include <algorithm>

namespace quorvel {

RaceFileReadResult ParseRaceFile(std::streambuf &source)
{
    FieldReader reader(source);
    RaceFileReadResult result;
    if (reader.readRawField(RaceFileMagic.size() + 1).bytes != RaceFileMagic) {
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
            AppendWithin(contents.comment, *line, CommentLimit);
        }
        firstLine = false;
    }
    if (reachedMarker && !reader.atEnd())
        contents.gasketInput = reader.readIntegerField();
    result.cut = full || reader.cutText();
    return result;
}

RaceFileReadResult ReadRaceFile(const std::string &path)
{
    RegularFileSource file(path);
    RaceFileReadResult result;
    if (file.problem().empty())
        result = ParseRaceFile(file);
    // A file that cannot be opened, or fails part way, gives nothing.
    if (!file.problem().empty()) {
        result = {};
        result.status = RaceFileReadStatus::CannotOpen;
        result.reason = file.problem();
    }
    return result;
}

std::string CellFileText(std::string_view text)
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

std::string NormaliseLineBreaks(std::string_view text)
{
    std::string result;
    result.reserve(text.size() + 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            result += LineEnd;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            result.push_back(c);
        }
    }
    return result;
}

std::string CommentFileText(std::string_view comment)
{
    // A comment line that reads like the end marker would end the comment
    // there on reading and lose the rest; a blank after it keeps it a line
    // of the comment.
    const std::string lines = NormaliseLineBreaks(comment);
    std::string text;
    text.reserve(lines.size() + 8);
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = lines.find(LineEnd, start);
        const std::string_view line =
            std::string_view(lines).substr(start, end == std::string::npos ? end : end - start);
        text += line;
        if (line == CommentEndMarker)
            text += ' ';
        if (end == std::string::npos)
            return text;
        text += LineEnd;
        start = end + LineEnd.size();
    }
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
        bytes += CellFileText(cell);
        bytes += LineEnd;
    }
    bytes += CommentFileText(contents.comment);
    bytes += LineEnd;
    bytes += CommentEndMarker;
    bytes += LineEnd;
    return bytes;
}

} // namespace quorvel

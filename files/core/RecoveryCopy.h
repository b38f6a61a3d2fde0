#pragma once

#include "RaceFile.h"
#include "SettingsFile.h"

#include <cstdint>
#include <optional>
#include <string>

namespace quorvel {

class RaceDocument;

// What the program keeps while it runs, so that a crash, a kill or a flat
// battery never costs the crew the sheet they were typing: everything that
// New, Open and Exit would otherwise lose or write elsewhere.
struct RecoveryCopy
{
    RaceFileContents race; // as Save would write it
    CarriedSettings settings;
    // The race file the sheet belonged to, or "Untitled".
    QString currentFile;
    // Which of its two captions the window showed: the one set after a
    // file was read or written, or the one of New and every activation.
    enum class Caption : std::int16_t { Activation = 0, File = 1 };
    Caption caption = Caption::Activation;
    // The file the race was opened cut from, which Save still asks about.
    std::optional<QString> openedCutFrom;
};

// Whether the copy holds something the crew typed or opened: a sheet tied to
// a file, a comment, or a cell that differs from a blank sheet's. Anything
// else is what start and New give anyway, and is never offered back.
[[nodiscard]] bool HoldsRace(const RecoveryCopy &copy);

// The race as it stands in the window.
[[nodiscard]] RecoveryCopy TakeRecoveryCopy(const RaceDocument &document);

// A race file (so the copy can even be opened like one) with the values a
// race file leaves out after its end marker: GasketInput on the line the race
// reader takes it from, the three reserved settings, the caption shown (plus
// 2 where the race was opened cut; then the length of that file's path and
// the path), then the current file's path as the rest of the file, so that
// a path holding line breaks survives too.
std::string SerializeRecoveryCopy(const RecoveryCopy &copy);
// nullopt when the bytes are not a copy the program could have written.
std::optional<RecoveryCopy> ParseRecoveryCopy(FieldReader &reader);
std::optional<RecoveryCopy> ReadRecoveryCopy(const QString &path);

} // namespace quorvel

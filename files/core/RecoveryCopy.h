#pragma once

#include "RaceFile.h"
#include "SettingsFile.h"

#include <optional>
#include <streambuf>
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
    std::string currentFile;
};

// The race as it stands in the window.
[[nodiscard]] RecoveryCopy TakeRecoveryCopy(const RaceDocument &document);

// A race file (so the copy can even be opened like one) with the values a
// race file leaves out after its end marker: GasketInput on the line the race
// reader takes it from, the three reserved settings, then the current file's
// path as the rest of the file, so any byte of a path survives.
std::string SerializeRecoveryCopy(const RecoveryCopy &copy);
// nullopt when the bytes are not a copy the program could have written.
std::optional<RecoveryCopy> ParseRecoveryCopy(std::streambuf &source);
std::optional<RecoveryCopy> ReadRecoveryCopy(const std::string &path);

} // namespace quorvel

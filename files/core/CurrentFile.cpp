#include "CurrentFile.h"

namespace quorvel {

std::string ToUpperForDisplay(std::string_view text)
{
    std::string upper(text);
    for (std::size_t i = 0; i < upper.size(); ++i) {
        const auto c = static_cast<unsigned char>(upper[i]);
        if (c >= 'a' && c <= 'z') {
            upper[i] = static_cast<char>(c - 'a' + 'A');
        } else if (c == 0xC3 && i + 1 < upper.size()) {
            // U+00E0..U+00FE but the division sign: their capitals lie 0x20 lower.
            const auto next = static_cast<unsigned char>(upper[i + 1]);
            if (next >= 0xA0 && next <= 0xBE && next != 0xB7)
                upper[i + 1] = static_cast<char>(next - 0x20);
            ++i;
        }
    }
    return upper;
}

std::string ComputeDisplayName(std::string_view currentFile, std::string_view dataFolder)
{
    const std::string upperFile = ToUpperForDisplay(currentFile);
    const std::string upperFolder = ToUpperForDisplay(dataFolder);
    // In the data folder only when the folder is followed by a separator:
    // the folder itself, or a folder whose name merely begins the same, is
    // not inside it.
    const std::size_t at = upperFile.find(upperFolder + '/');
    if (!upperFolder.empty() && at != std::string::npos)
        return upperFile.substr(at + upperFolder.size() + 1);
    const std::size_t slash = upperFile.rfind('/');
    return slash == std::string::npos ? upperFile : upperFile.substr(slash + 1);
}

CurrentFile::CurrentFile(std::string dataFolder) : dataFolder_(std::move(dataFolder))
{
    while (dataFolder_.size() > 1 && dataFolder_.back() == '/')
        dataFolder_.pop_back();
    refreshDisplayName();
}

std::string CurrentFile::fileName() const
{
    const std::size_t slash = path_.rfind('/');
    return slash == std::string::npos ? path_ : path_.substr(slash + 1);
}

void CurrentFile::tieTo(std::string path)
{
    path_ = std::move(path);
    refreshDisplayName();
}

void CurrentFile::makeUntitled()
{
    tieTo(std::string(UntitledFile));
}

void CurrentFile::refreshDisplayName()
{
    displayName_ = ComputeDisplayName(path_, dataFolder_);
}

std::string CurrentFile::activationCaption() const
{
    return "Quorvel - Dunmere   [ " + displayName_ + " ]";
}

std::string CurrentFile::fileCaption() const
{
    return "Quorvel  [ " + displayName_ + " ]";
}

} // namespace quorvel

#include "CurrentFile.h"

#include "TextFields.h"

#include <QString>

namespace quorvel {
namespace {

// A name that is valid UTF-8 is raised by Qt's case mapping, every script's
// letters; one that is not has only its ASCII letters raised and keeps its
// other bytes, which the caption and quorvel-calc show as they can.
std::string toUpper(std::string_view name, bool utf8)
{
    const QByteArrayView bytes(name.data(), static_cast<qsizetype>(name.size()));
    return utf8 ? QString::fromUtf8(bytes).toUpper().toStdString()
                : bytes.toByteArray().toUpper().toStdString();
}

} // namespace

std::string ComputeDisplayName(std::string_view currentFile, std::string_view dataFolder)
{
    // Both raised the same way, so the folder is found in the name whatever
    // bytes the rest of it holds.
    const bool utf8 = IsValidUtf8(currentFile);
    const std::string upperFile = toUpper(currentFile, utf8);
    const std::string upperFolder = toUpper(dataFolder, utf8);
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

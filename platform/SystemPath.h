#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <string>

namespace quorvel {

// Paths, and the captions made from them, go to and from the file system in
// its own encoding, so a name that is not UTF-8 is kept byte for byte.
[[nodiscard]] inline QString FromSystemPath(const std::string &path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

[[nodiscard]] inline std::string ToSystemPath(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

} // namespace quorvel

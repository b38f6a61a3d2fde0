#pragma once

#include <QMetaType>
#include <QString>
#include <QTest>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

Q_DECLARE_METATYPE(std::optional<std::int16_t>)

// Failed comparisons show file bytes escaped and cut short, so a 50 MB
// comment does not flood the log.
namespace QTest {
template <> inline char *toString(const std::string &text)
{
    return toPrettyCString(text.data(), static_cast<qsizetype>(text.size()));
}
template <> inline char *toString(const std::optional<std::int16_t> &value)
{
    return qstrdup(value ? QByteArray::number(*value).constData() : "nullopt");
}
} // namespace QTest

namespace quorvel::test {

inline std::string str(const QString &text)
{
    return text.toStdString();
}
inline std::string str(const QByteArray &bytes)
{
    return bytes.toStdString();
}

inline std::string readBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline bool writeBytes(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    return static_cast<bool>(out << bytes << std::flush);
}

// The lines of bytes written with CR LF line ends, without them.
inline std::vector<std::string> crlfLines(const std::string &bytes)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    if (start < bytes.size())
        lines.push_back(bytes.substr(start));
    return lines;
}

} // namespace quorvel::test

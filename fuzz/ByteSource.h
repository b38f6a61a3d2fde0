#pragma once

#include <streambuf>
#include <string_view>

namespace quorvel::fuzz {

// Reads the fuzzer's bytes in place. The readers only take characters out,
// so the buffer is never written through the cast.
class ByteSource : public std::streambuf
{
public:
    explicit ByteSource(std::string_view bytes)
    {
        char *begin = const_cast<char *>(bytes.data());
        setg(begin, begin, begin + bytes.size());
    }
};

} // namespace quorvel::fuzz

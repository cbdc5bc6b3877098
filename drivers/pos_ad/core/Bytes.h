// Byte strings and the result of turning one call into printer bytes. Portable: no Win32 here, so
// the same code runs in the library and natively in the fuzzers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using Bytes = std::vector<uint8_t>;

// Either the bytes for the printer or, when the input cannot be printed, why not.
struct Encoded {
    Bytes bytes;
    std::string error;

    bool ok() const { return error.empty(); }
    static Encoded Fail(std::string why)
    {
        Encoded e;
        e.error = std::move(why);
        return e;
    }
};

inline void Append(Bytes& to, std::initializer_list<uint8_t> bytes)
{
    to.insert(to.end(), bytes);
}
inline void Append(Bytes& to, const Bytes& bytes)
{
    to.insert(to.end(), bytes.begin(), bytes.end());
}
inline void Append(Bytes& to, std::string_view text)
{
    to.insert(to.end(), text.begin(), text.end());
}

// A call into pos_ad_dll.dll on i686 that works whichever calling convention the library was
// built with. __cdecl and __stdcall both push the arguments right to left, one 32-bit word each,
// and return in EAX; they differ only in who takes the arguments off the stack afterwards (the
// caller, or the called function). Compiled code that calls a __stdcall function as __cdecl (or
// the reverse) is left with its stack pointer off by the arguments' size and goes wrong at once.
// posad_call_either keeps the stack pointer in its frame pointer across the call and puts it back
// from there, so neither kind of library can move it.
#pragma once

#include <cstdint>

namespace pos_ad {

// A function's address, as the loader writes it into the import's slot.
using Entry = const void*;

// Calls function with count 32-bit argument words (words[0] is the first argument) and returns
// its EAX.
extern "C" int posad_call_either(Entry function, const std::intptr_t* words, int count);

inline std::intptr_t Word(int value)
{
    return value;
}
inline std::intptr_t Word(const void* pointer)
{
    return reinterpret_cast<std::intptr_t>(pointer);
}

// CallEither(function)(arguments...)
class CallEither {
public:
    explicit CallEither(Entry function) : m_function(function) { }

    template <typename... Args> int operator()(Args... args) const
    {
        const std::intptr_t words[sizeof...(Args) + 1] = {Word(args)...};
        return posad_call_either(m_function, words, static_cast<int>(sizeof...(Args)));
    }

private:
    Entry m_function;
};

} // namespace pos_ad

// The scale page's weight arithmetic (pages/scale/ScaleReading.cpp, the source itself) built as a
// Linux program: once for x86_64, once by the i686 compiler with the flags of the i686 build, run
// under qemu-i386. Both print the same lines, or the two builds of the program would show a weight
// differently. Every net text from 0.000 to 20.000 kg in grams, and beyond the range of int.
#include "pages/scale/ScaleReading.h"

#include <cstdio>
#include <string>
#include <vector>

// ParseScaleResult's only other dependency; the program's own lives beside Windows calls.
std::vector<std::string> SplitText(const std::string& text, const std::string& sep)
{
    std::vector<std::string> fields;
    size_t from = 0;
    for (size_t at; (at = text.find(sep, from)) != std::string::npos; from = at + sep.size())
        fields.push_back(text.substr(from, at - from));
    fields.push_back(text.substr(from));
    return fields;
}

namespace {

// The mark the page shows in the net field: '>' for "┗━┛" (above 15 kg), '<' for "┏━┓" (below
// zero), '=' for the text itself.
char Mark(const std::string& net)
{
    const auto reading = ParseScaleResult(("0,S,0,0," + net + ",0.000," + net).c_str());
    if (!reading)
        return '?';
    if (reading->net == "┗━┛")
        return '>';
    if (reading->net == "┏━┓")
        return '<';
    return reading->net == net ? '=' : '?';
}

int failures = 0;

void Expect(const char* net, int grams, char mark)
{
    if (NetWeightGrams(net) != grams || Mark(net) != mark) {
        std::printf("WRONG %s: %d grams, mark %c; due %d, %c\n", net, NetWeightGrams(net), Mark(net), grams, mark);
        ++failures;
    }
}

} // namespace

int main()
{
    // Exactly what double precision gives; x87's 80 bits give 15000 and no mark for the first.
    Expect("15.001", 15001, '>');
    Expect("15.000", 15000, '=');
    Expect("-0.001", -1, '<');
    Expect("4.35", 4350, '=');
    Expect("3e9", 2147483647, '>');
    for (int grams = 0; grams <= 20000; ++grams) {
        char net[16];
        std::snprintf(net, sizeof net, "%d.%03d", grams / 1000, grams % 1000);
        std::printf("%s %d %c\n", net, NetWeightGrams(net), Mark(net));
    }
    return failures == 0 ? 0 : 1;
}

#include "ScaleReading.h"

#include "framework/TextUtils.h"

#include <climits>
#include <cmath>
#include <cstdlib>

namespace {

const int kMaxNetGrams = 15000;

std::string StatusText(const std::string& letter)
{
    if (letter == "F")
        return "重量溢出或没有开机归零";
    if (letter == "S")
        return "稳定";
    if (letter == "U")
        return "不稳定";
    return {};
}

} // namespace

int NetWeightGrams(const std::string& net)
{
    const double grams = std::atof(net.c_str()) * 1000.0;
    if (std::isnan(grams))
        return 0;
    if (grams >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (grams <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(grams);
}

std::optional<ScaleReading> ParseScaleResult(const char* text)
{
    if (!text)
        return std::nullopt;
    const std::vector<std::string> fields = SplitText(text, ",");
    if (fields.size() != 7)
        return std::nullopt;

    ScaleReading reading {StatusText(fields[1]), fields[4], fields[5], fields[6]};
    const int grams = NetWeightGrams(fields[4]);
    if (grams < 0)
        reading.net = reading.tare = reading.gross = "┏━┓";
    else if (grams > kMaxNetGrams)
        reading.net = reading.tare = reading.gross = "┗━┛";
    return reading;
}

void FoldReading(ScaleReading& earlier, const ScaleReading& later)
{
    if (!later.status.empty())
        earlier.status = later.status;
    earlier.net = later.net;
    earlier.tare = later.tare;
    earlier.gross = later.gross;
}

#include "terminal/scale/scale_profile.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

namespace zsim::term {

namespace {
constexpr int64_t kSettleStepMs = 50;
}  // namespace

std::optional<int64_t> parseKilograms(const std::string& text) {
    if (text.empty() || text.size() > 16) return std::nullopt;
    // strtod alone would also take "0x1p4" and "1e2", which no one means as a load.
    if (text.find_first_not_of("+-.0123456789") != std::string::npos) return std::nullopt;
    char* end = nullptr;
    const double kg = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(kg)) return std::nullopt;
    const double grams = std::round(kg * 1000.0);
    if (std::fabs(grams) > static_cast<double>(kMaxWeightGrams)) return std::nullopt;
    return static_cast<int64_t>(grams);
}

ScaleProfile ScaleProfile::settle(int64_t fromGrams, int64_t toGrams, int64_t durationMs) {
    ScaleProfile p;
    p.name_ = "settle";
    durationMs = std::max<int64_t>(durationMs, 0);
    const double swing = static_cast<double>(fromGrams - toGrams);
    // A swing of a few periods whose amplitude falls to a twentieth.
    const double period = std::max<double>(static_cast<double>(durationMs) / 3.0, 1.0);
    for (int64_t t = 0; t < durationMs && p.points_.size() + 1 < kMaxPoints; t += kSettleStepMs) {
        const double x = static_cast<double>(t);
        const double decay = std::exp(-3.0 * x / static_cast<double>(durationMs));
        const double g = static_cast<double>(toGrams) + swing * decay * std::cos(2.0 * M_PI * x / period);
        p.points_.push_back({t, static_cast<int64_t>(std::llround(g)), false});
    }
    p.points_.push_back({durationMs, toGrams, true});
    return p;
}

std::optional<ScaleProfile> ScaleProfile::parseSteps(const std::string& text, std::string& error) {
    ScaleProfile p;
    p.name_ = "steps";
    std::istringstream in(text);
    std::string token;
    while (in >> token) {
        if (p.points_.size() == kMaxPoints) {
            error = "more than " + std::to_string(kMaxPoints) + " steps";
            return std::nullopt;
        }
        const size_t first = token.find(':');
        const size_t second = first == std::string::npos ? first : token.find(':', first + 1);
        if (first == std::string::npos) {
            error = "step \"" + token + "\" is not MS:KG[:s|u]";
            return std::nullopt;
        }
        ProfilePoint point;
        char* end = nullptr;
        const std::string ms = token.substr(0, first);
        point.atMs = std::strtoll(ms.c_str(), &end, 10);
        const auto grams = parseKilograms(
            token.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1));
        if (ms.empty() || *end || point.atMs < 0 || point.atMs > 24LL * 3600 * 1000 || !grams) {
            error = "step \"" + token + "\" is not MS:KG[:s|u]";
            return std::nullopt;
        }
        point.grams = *grams;
        if (second != std::string::npos) {
            const std::string flag = token.substr(second + 1);
            if (flag != "s" && flag != "u") {
                error = "step \"" + token + "\": stability is s or u";
                return std::nullopt;
            }
            point.stable = flag == "s";
        }
        if (!p.points_.empty() && point.atMs < p.points_.back().atMs) {
            error = "steps must come in rising time order";
            return std::nullopt;
        }
        p.points_.push_back(point);
    }
    if (p.points_.empty()) {
        error = "no steps";
        return std::nullopt;
    }
    return p;
}

const ProfilePoint& ScaleProfile::at(int64_t msSinceStart) const {
    const ProfilePoint* current = &points_.front();
    for (const ProfilePoint& point : points_) {
        if (point.atMs > msSinceStart) break;
        current = &point;
    }
    return *current;
}

}  // namespace zsim::term

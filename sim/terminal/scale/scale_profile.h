// A scripted load on the scale: points in time at which the load and its
// stability change, relative to the moment the profile starts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zsim::term {

struct ProfilePoint {
    int64_t atMs = 0;
    int64_t grams = 0;
    bool stable = true;
};

class ScaleProfile {
public:
    static constexpr size_t kMaxPoints = 1000;

    // A load put on with a swing: readings oscillate around the target with
    // a shrinking amplitude, unstable, and are stable at the target from
    // durationMs on.
    static ScaleProfile settle(int64_t fromGrams, int64_t toGrams, int64_t durationMs);
    // "MS:KG[:s|u] ..." in rising time order, e.g. "0:0.4:u 300:1.1:u 800:1:s".
    static std::optional<ScaleProfile> parseSteps(const std::string& text, std::string& error);

    // The point in force msSinceStart after the start (the first one before it).
    const ProfilePoint& at(int64_t msSinceStart) const;
    int64_t lengthMs() const { return points_.back().atMs; }
    const std::string& name() const { return name_; }

private:
    std::vector<ProfilePoint> points_;
    std::string name_;
};

// The widest weight the reading formats carry, either way of zero.
inline constexpr int64_t kMaxWeightGrams = 999999;
// Parses a weight in kilograms ("1.25", "-0.002") into whole grams, within
// +-kMaxWeightGrams; plain decimals only (no hex, exponent or "nan").
std::optional<int64_t> parseKilograms(const std::string& text);

}  // namespace zsim::term

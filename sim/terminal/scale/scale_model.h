// The weighing cell behind both scale protocols: the load on the platter,
// the zero point, the tare, and the states a tester may force (unstable,
// overloaded, not zeroed since power-on). Weights are whole grams; time is
// passed in, so a profile plays out the same in tests as on the line.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "terminal/scale/scale_profile.h"

namespace zsim::term {

enum class WeightUnit { Kg, G, Lb };
const char* unitName(WeightUnit unit);
std::optional<WeightUnit> parseUnit(const std::string& text);

struct ScaleReading {
    int64_t gross = 0;
    int64_t tare = 0;
    int64_t net = 0;
    bool stable = true;
    bool atZero = true;
    bool tarePresent = false;
    bool overload = false;
    bool underload = false;
    bool notZeroed = false;
};

// Why a weighing request was refused; empty when it was carried out.
using Refusal = std::optional<std::string>;

class ScaleModel {
public:
    explicit ScaleModel(int64_t capacityGrams = 15000) : capacity_(capacityGrams) {}

    // What the tester sets while the terminal runs. Setting the load or
    // stability ends a running profile.
    void setLoad(int64_t grams);
    void setStable(bool stable, int64_t nowMs);
    void setTare(int64_t grams) { tare_ = grams; }
    void setOverload(bool on) { forcedOverload_ = on; }
    void setNotZeroed(bool on) { notZeroed_ = on; }
    void zeroNow(int64_t nowMs);  // the present load becomes zero, whatever it is
    void runProfile(const ScaleProfile& profile, int64_t nowMs);
    void stopProfile(int64_t nowMs);

    // What a host may ask for, refused as a scale would.
    Refusal zero(int64_t nowMs);
    Refusal takeTare(int64_t nowMs);    // replaces a tare already set
    Refusal toggleTare(int64_t nowMs);  // takes a tare when none is set, else clears it
    void clearTare() { tare_ = 0; }
    Refusal presetTare(int64_t grams);  // 0 to 99999 g, whatever the capacity; 0 clears

    void setUnit(WeightUnit unit) { unit_ = unit; }
    WeightUnit unit() const { return unit_; }
    void setPowerOnZero(bool on) { powerOnZero_ = on; }
    bool powerOnZero() const { return powerOnZero_; }

    ScaleReading read(int64_t nowMs) const;
    int64_t capacity() const { return capacity_; }
    int64_t load(int64_t nowMs) const;
    int64_t zeroPoint() const { return zeroPoint_; }
    bool profileRunning(int64_t nowMs) const;
    const std::string& profileName() const { return profileName_; }

private:
    // A host may set zero only this close to the empty platter.
    int64_t zeroRange() const { return capacity_ / 25; }
    // Further below zero than twenty scale divisions (a division being a
    // 3000th of the capacity) the cell reads as underloaded.
    int64_t underloadLimit() const { return -20 * std::max<int64_t>(capacity_ / 3000, 1); }
    Refusal cannotWeigh(const ScaleReading& r) const;

    int64_t capacity_;
    int64_t load_ = 0;
    int64_t zeroPoint_ = 0;
    int64_t tare_ = 0;
    bool stable_ = true;
    bool forcedOverload_ = false;
    bool notZeroed_ = false;
    bool powerOnZero_ = true;
    WeightUnit unit_ = WeightUnit::Kg;
    std::optional<ScaleProfile> profile_;
    int64_t profileStart_ = 0;
    std::string profileName_;
};

}  // namespace zsim::term

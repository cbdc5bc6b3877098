#include "terminal/scale/scale_model.h"

#include <cstdlib>

namespace zsim::term {

const char* unitName(WeightUnit unit) {
    switch (unit) {
    case WeightUnit::G: return "g";
    case WeightUnit::Lb: return "lb";
    case WeightUnit::Kg: break;
    }
    return "kg";
}

std::optional<WeightUnit> parseUnit(const std::string& text) {
    if (text == "kg") return WeightUnit::Kg;
    if (text == "g") return WeightUnit::G;
    if (text == "lb") return WeightUnit::Lb;
    return std::nullopt;
}

void ScaleModel::setLoad(int64_t grams) {
    profile_.reset();
    load_ = grams;
}

void ScaleModel::setStable(bool stable, int64_t nowMs) {
    stopProfile(nowMs);  // keeps the load the profile had reached
    stable_ = stable;
}

void ScaleModel::runProfile(const ScaleProfile& profile, int64_t nowMs) {
    profile_ = profile;
    profileStart_ = nowMs;
    profileName_ = profile.name();
}

void ScaleModel::stopProfile(int64_t nowMs) {
    if (!profile_) return;
    const ProfilePoint& p = profile_->at(nowMs - profileStart_);
    load_ = p.grams;
    stable_ = p.stable;
    profile_.reset();
}

bool ScaleModel::profileRunning(int64_t nowMs) const {
    return profile_ && nowMs - profileStart_ < profile_->lengthMs();
}

int64_t ScaleModel::load(int64_t nowMs) const { return profile_ ? profile_->at(nowMs - profileStart_).grams : load_; }

void ScaleModel::zeroNow(int64_t nowMs) {
    zeroPoint_ = load(nowMs);
    notZeroed_ = false;
}

ScaleReading ScaleModel::read(int64_t nowMs) const {
    ScaleReading r;
    r.gross = load(nowMs) - zeroPoint_;
    r.tare = tare_;
    r.net = r.gross - tare_;
    r.stable = profile_ ? profile_->at(nowMs - profileStart_).stable : stable_;
    r.atZero = r.gross == 0;
    r.tarePresent = tare_ != 0;
    r.overload = forcedOverload_ || r.gross > capacity_;
    r.underload = r.gross < underloadLimit();
    r.notZeroed = notZeroed_;
    return r;
}

Refusal ScaleModel::cannotWeigh(const ScaleReading& r) const {
    if (r.overload) return "overload";
    if (r.underload) return "underload";
    if (!r.stable) return "in motion";
    return std::nullopt;
}

Refusal ScaleModel::zero(int64_t nowMs) {
    const ScaleReading r = read(nowMs);
    if (Refusal why = cannotWeigh(r)) return why;
    if (std::llabs(load(nowMs)) > zeroRange()) return "out of zero range";
    zeroNow(nowMs);
    return std::nullopt;
}

Refusal ScaleModel::takeTare(int64_t nowMs) {
    const ScaleReading r = read(nowMs);
    if (Refusal why = cannotWeigh(r)) return why;
    if (r.gross <= 0) return "nothing to tare";
    tare_ = r.gross;
    return std::nullopt;
}

Refusal ScaleModel::toggleTare(int64_t nowMs) {
    if (tare_ != 0) {
        tare_ = 0;
        return std::nullopt;
    }
    return takeTare(nowMs);
}

Refusal ScaleModel::presetTare(int64_t grams) {
    if (grams < 0 || grams > 99999) return "tare out of range";
    tare_ = grams;
    return std::nullopt;
}

}  // namespace zsim::term

// One reading of the scale SDK as the page shows it, made from the SDK's result text.
#pragma once

#include <optional>
#include <string>

struct ScaleReading {
    std::string status; // text for the status field; empty leaves the shown status as it is
    std::string net; // texts for the net, tare and gross fields, range marks already applied
    std::string tare;
    std::string gross;
};

// Nothing for a text (or null) that is not exactly seven comma-separated fields.
std::optional<ScaleReading> ParseScaleResult(const char* text);

// The net weight text in grams as the range check sees it: atof, times 1000, truncated toward
// zero. Beyond the range of int it saturates; a NaN counts as 0, like any other non-number.
int NetWeightGrams(const std::string& net);

// Folds a later reading into an earlier one not yet shown, so that showing the result has the
// same effect on the page as showing both in turn: the weights are the later ones, the status
// the last one that was known.
void FoldReading(ScaleReading& earlier, const ScaleReading& later);

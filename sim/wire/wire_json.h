// The wire record as JSON: for the control socket's wire command (and so
// zantor-simctl wire) and for the panel's live view.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "wire/wire_record.h"

namespace zsim::wire {

// Entries one answer of the wire command holds at most; a follower asks again from "next".
constexpr size_t kAnswerEntries = 2000;

// withText: also the entry as its text line, for clients that print it.
nlohmann::json entryJson(const Entry& e, bool withText);
// The entries of a line (all lines when line is empty) after seq, with what was skipped, the lines'
// counts, and where to go on from.
nlohmann::json wireAnswer(const Record& record, const std::string& line, uint64_t after);

}  // namespace zsim::wire

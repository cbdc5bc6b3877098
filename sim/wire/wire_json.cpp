#include "wire/wire_json.h"

#include <algorithm>

namespace zsim::wire {

nlohmann::json entryJson(const Entry& e, bool withText) {
    nlohmann::json j = {{"seq", e.seq},        {"ms", e.ms},
                        {"line", e.line},      {"dir", directionName(e.direction)},
                        {"what", e.item.what}, {"hex", hex(e.item, Item::kBytesKept)},
                        {"size", e.item.size}};
    if (withText) j["text"] = textLine(e);
    return j;
}

nlohmann::json wireAnswer(const Record& record, const std::string& line, uint64_t after) {
    uint64_t skipped = 0;
    nlohmann::json entries = nlohmann::json::array();
    for (const Entry* e : record.after(after, line, kAnswerEntries, skipped)) entries.push_back(entryJson(*e, true));
    nlohmann::json lines = nlohmann::json::array();
    for (const Record::LineCount& c : record.lines())
        lines.push_back({{"line", c.line}, {"kept", c.kept}, {"dropped", c.dropped}});
    return {{"ok", true},
            {"entries", entries},
            {"skipped", skipped},
            {"next", std::max(after, record.lastSeq())},
            {"lines", lines},
            {"kept_per_line", Record::kEntriesPerLine},
            {"started_wall_ms", record.startedWallMs()}};
}

}  // namespace zsim::wire

#include "escpos/job_report.h"

#include <cstdio>

namespace zsim::escpos {

namespace {

std::vector<uint8_t> head(const std::vector<uint8_t>& b) {
    if (b.size() <= JobReport::kMaxBytesShown) return b;
    return {b.begin(), b.begin() + JobReport::kMaxBytesShown};
}

void push(std::vector<ReportEntry>& list, uint64_t& total, ReportEntry e) {
    ++total;
    if (list.size() < JobReport::kMaxEntries) list.push_back(std::move(e));
}

// Length of a valid UTF-8 sequence at s[i], 0 if there is none.
size_t utf8Length(const std::string& s, size_t i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + len > s.size()) return 0;
    for (size_t k = 1; k < len; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
    return len;
}

// Texts from the host (symbol data) may be any bytes; bytes that are not
// UTF-8 are written as the Latin-1 characters of the same value.
std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 0x80) {
            const size_t len = utf8Length(s, i);
            if (len > 1) {
                out.append(s, i, len);
                i += len - 1;
            } else {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            }
            continue;
        }
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string hex(const std::vector<uint8_t>& b) {
    std::string out;
    for (uint8_t v : b) {
        char buf[4];
        std::snprintf(buf, sizeof buf, "%02X", v);
        if (!out.empty()) out += ' ';
        out += buf;
    }
    return out;
}

std::string entries(const std::vector<ReportEntry>& list) {
    std::string out = "[";
    for (size_t i = 0; i < list.size(); ++i) {
        const ReportEntry& e = list[i];
        if (i) out += ",";
        out += "\n    {\"offset\": " + std::to_string(e.offset);
        if (!e.name.empty()) out += ", \"command\": " + jsonString(e.name);
        if (!e.bytes.empty()) out += ", \"bytes\": " + jsonString(hex(e.bytes));
        if (!e.text.empty()) out += ", \"text\": " + jsonString(e.text);
        out += "}";
    }
    return out + (list.empty() ? "]" : "\n  ]");
}

}  // namespace

void JobReport::unknown(uint64_t offset, const std::vector<uint8_t>& bytes) {
    push(unknown_, unknownTotal_, ReportEntry{offset, "", head(bytes), ""});
}

void JobReport::unsupported(uint64_t offset, const std::string& name, const std::string& why) {
    push(unsupported_, unsupportedTotal_, ReportEntry{offset, name, {}, why});
}

void JobReport::note(uint64_t offset, const std::string& text) {
    push(notes_, noteTotal_, ReportEntry{offset, "", {}, text});
}

void JobReport::truncatedCommand(uint64_t offset, const std::string& name, const std::vector<uint8_t>& h) {
    truncated_.has = true;
    truncated_.entry = ReportEntry{offset, name, head(h), "job ended inside this command"};
}

std::string JobReport::toJson() const {
    std::string out = "{\n";
    out += "  \"job\": " + std::to_string(job) + ",\n";
    out += "  \"bytes\": " + std::to_string(bytes) + ",\n";
    out += "  \"raw_file\": " + jsonString(rawFile) + ",\n";
    out += "  \"pages\": [";
    for (size_t i = 0; i < pages.size(); ++i) {
        const PageInfo& p = pages[i];
        out += std::string(i ? "," : "") + "\n    {\"file\": " + jsonString(p.file) +
               ", \"width\": " + std::to_string(p.widthDots) + ", \"height\": " + std::to_string(p.heightDots) +
               ", \"truncated\": " + (p.truncated ? "true" : "false") +
               ", \"dropped_dots\": " + std::to_string(p.droppedDots) + ", \"symbols\": [";
        for (size_t k = 0; k < p.symbols.size(); ++k) {
            const SymbolMark& s = p.symbols[k];
            out += std::string(k ? ", " : "") + "{\"type\": " + jsonString(s.type) +
                   ", \"text\": " + jsonString(s.text) + ", \"x\": " + std::to_string(s.x) +
                   ", \"y\": " + std::to_string(s.y) + ", \"width\": " + std::to_string(s.width) +
                   ", \"height\": " + std::to_string(s.height) + "}";
        }
        out += "]}";
    }
    out += pages.empty() ? "],\n" : "\n  ],\n";
    out += "  \"commands\": {";
    bool first = true;
    for (const auto& [name, count] : commands_) {
        out += std::string(first ? "" : ",") + "\n    " + jsonString(name) + ": " + std::to_string(count);
        first = false;
    }
    out += commands_.empty() ? "},\n" : "\n  },\n";
    out += "  \"unknown_total\": " + std::to_string(unknownTotal_) + ",\n";
    out += "  \"unknown\": " + entries(unknown_) + ",\n";
    out += "  \"unsupported_total\": " + std::to_string(unsupportedTotal_) + ",\n";
    out += "  \"unsupported\": " + entries(unsupported_) + ",\n";
    out += "  \"notes_total\": " + std::to_string(noteTotal_) + ",\n";
    out += "  \"notes\": " + entries(notes_) + ",\n";
    out +=
        "  \"ended_inside_command\": " + (truncated_.has ? entries({truncated_.entry}) : std::string("null")) + ",\n";
    out += "  \"replies\": " + std::to_string(replies) + ",\n";
    out += "  \"drawer_pulses\": [";
    for (size_t i = 0; i < drawerPulses.size(); ++i) out += std::string(i ? ", " : "") + jsonString(drawerPulses[i]);
    out += "]\n}\n";
    return out;
}

}  // namespace zsim::escpos

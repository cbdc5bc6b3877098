#include "wire/wire_record.h"

#include <algorithm>
#include <ctime>
#include <fstream>

#include "terminal/event_loop.h"
#include "terminal/receipt_folder.h"

namespace zsim::wire {

namespace {

std::string localTime(int64_t ms) {
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    std::tm parts{};
    localtime_r(&seconds, &parts);
    char text[40];
    const size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    std::snprintf(text + n, sizeof text - n, ".%03d", static_cast<int>(ms % 1000));
    return text;
}

}  // namespace

Record::Record(escpos::DrawerSwitch wiring)
    : startedMs_(term::nowMs()), startedWallMs_(term::wallClockMs()), printer_(wiring) {}

void Record::bytes(Protocol protocol, const std::string& line, Direction d, const uint8_t* p, size_t n) {
    if (n == 0) return;
    items_.clear();
    switch (protocol) {
    case Protocol::EscPos:
        if (d == Direction::ToDevice) {
            // The printer's job begins with the first byte after the last one ended.
            job_.open = true;
            job_.hostBytes += n;
            hostLine_ = line;
            const int64_t now = term::nowMs();
            listable_ = std::min<double>(kListedPerSecond,
                                         listable_ + static_cast<double>(now - listableAt_) * kListedPerSecond / 1000);
            listableAt_ = now;
            printer_.fromHost(p, n, static_cast<size_t>(listable_), items_);
            listable_ = std::max(0.0, listable_ - static_cast<double>(items_.size()));
        } else {
            printer_.answer(p, n, items_);
        }
        break;
    case Protocol::Board: boards_[line].take(d, p, n, term::nowMs(), items_); break;
    case Protocol::SdkScale: scales_[line].take(d, p, n, items_); break;
    }
    add(line, d, items_, protocol == Protocol::EscPos && job_.open);
}

void Record::event(const std::string& line, const std::string& what, Direction d) {
    items_.clear();
    items_.push_back(Item(what, nullptr, 0, 0));
    add(line, d, items_, false);
}

void Record::add(const std::string& line, Direction d, std::vector<Item>& items, bool ofJob) {
    if (items.empty()) return;
    Ring& ring = rings_[line];
    const int64_t ms = term::nowMs() - startedMs_;
    for (Item& item : items) {
        Entry e{++seq_, ms, line, d, std::move(item)};
        if (ofJob && ++job_.entries <= kJobEntries) job_.lines.push_back(textLine(e));
        ring.entries.push_back(std::move(e));
        if (ring.entries.size() > kEntriesPerLine) {
            ring.entries.pop_front();
            ++ring.dropped;
        }
    }
}

bool Record::endJob(const std::string& path, const std::string& title, std::string& error) {
    items_.clear();
    printer_.endJob(items_);
    // What was cut off belongs to the line that spoke last.
    add(hostLine_, Direction::ToDevice, items_, job_.open);
    Job job = std::move(job_);
    job_ = Job();
    if (path.empty()) return true;
    return writeFile(path, title, job.lines, job.entries, job.hostBytes, error);
}

bool Record::writeSince(uint64_t seq, const std::string& path, const std::string& title, uint64_t hostBytes,
                        std::string& error) const {
    uint64_t skipped = 0;
    const std::vector<const Entry*> entries = after(seq, "", kJobEntries, skipped);
    std::vector<std::string> lines;
    for (const Entry* e : entries) lines.push_back(textLine(*e));
    return writeFile(path, title, lines, entries.size() + skipped, hostBytes, error);
}

bool Record::writeFile(const std::string& path, const std::string& title, const std::vector<std::string>& lines,
                       uint64_t entries, uint64_t hostBytes, std::string& error) const {
    std::ofstream out(path, std::ios::trunc);
    out << "# Wire record of " << title << ": " << entries << " entries, " << hostBytes << " bytes from the host\n"
        << "# ms since the terminal started (" << localTime(startedWallMs_)
        << "); → host to device, ← device to host; [the bytes, the first 24 of a longer entry]\n";
    for (const std::string& text : lines) out << text << '\n';
    if (entries > lines.size())
        out << "# … " << entries - lines.size() << " more entries not written: a job's wire text holds at most "
            << kJobEntries << "\n";
    if (!out.flush()) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

std::vector<const Entry*> Record::after(uint64_t seq, const std::string& line, size_t max, uint64_t& skipped) const {
    std::vector<const Entry*> found;
    for (const auto& [name, ring] : rings_) {
        if (!line.empty() && name != line) continue;
        auto first = std::upper_bound(ring.entries.begin(), ring.entries.end(), seq,
                                      [](uint64_t s, const Entry& e) { return s < e.seq; });
        for (auto it = first; it != ring.entries.end(); ++it) found.push_back(&*it);
    }
    std::sort(found.begin(), found.end(), [](const Entry* a, const Entry* b) { return a->seq < b->seq; });
    skipped = found.size() > max ? found.size() - max : 0;
    found.erase(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(skipped));
    return found;
}

std::vector<Record::LineCount> Record::lines() const {
    std::vector<LineCount> out;
    for (const auto& [name, ring] : rings_) out.push_back({name, ring.entries.size(), ring.dropped});
    return out;
}

}  // namespace zsim::wire

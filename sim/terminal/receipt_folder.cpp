#include "terminal/receipt_folder.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <system_error>

#include <nlohmann/json.hpp>

#include "terminal/receipt_index_html.h"

namespace zsim::term {

namespace fs = std::filesystem;

namespace {
// A report of ours is far smaller; anything bigger is not one.
constexpr uintmax_t kMaxReportBytes = 4u << 20;

std::string baseName(const std::string& path) { return fs::path(path).filename().string(); }
}  // namespace

int64_t wallClockMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

bool ReceiptFolder::isReceipt(const JobResult& job) {
    const escpos::JobReport& r = job.report;
    return !job.pageFiles.empty() || !r.pages.empty() || r.unknownTotal() || r.unsupportedTotal() || r.noteTotal() ||
           r.endedInsideCommand();
}

void ReceiptFolder::keep(Receipt receipt) {
    receipts_.push_back(std::move(receipt));
    while (receipts_.size() > kMaxListed) receipts_.pop_front();
    if (listener_) listener_(receipts_.back());
}

const Receipt& ReceiptFolder::add(const JobResult& job, int64_t finishedMs, const std::string& line,
                                  const std::string& wire) {
    Receipt r;
    r.job = job.job;
    r.line = line;
    r.wire = wire;
    r.finishedMs = finishedMs;
    for (const std::string& page : job.pageFiles) r.pages.push_back(baseName(page));
    r.raw = baseName(job.rawFile);
    r.report = baseName(job.reportFile);
    r.bytes = job.report.bytes;
    r.unknown = job.report.unknownTotal();
    keep(std::move(r));
    return receipts_.back();
}

void ReceiptFolder::loadExisting() {
    std::error_code ec;
    // ESC/POS jobs and jobs of the Windows printer queue share one series.
    const std::regex name(R"((job|driver)-(\d{4,9})\.json)");
    std::vector<Receipt> found;
    for (const auto& entry : fs::directory_iterator(dir_, ec)) {
        std::smatch m;
        const std::string file = entry.path().filename().string();
        if (!std::regex_match(file, m, name) || entry.file_size(ec) > kMaxReportBytes) continue;
        Receipt r;
        try {
            std::ifstream in(entry.path());
            const nlohmann::json report = nlohmann::json::parse(in, nullptr, false);
            if (!report.is_object()) continue;
            r.job = std::stoi(m[2]);
            if (m[1] == "driver") r.line = "driver";
            r.report = file;
            const std::string wire = file.substr(0, file.size() - 5) + ".wire.txt";
            if (fs::is_regular_file(fs::path(dir_) / wire, ec)) r.wire = wire;
            r.raw = baseName(report.value("raw_file", ""));
            r.bytes = report.value("bytes", 0ull);
            r.unknown = report.value("unknown_total", 0ull);
            if (report.contains("pages") && report["pages"].is_array())
                for (const auto& page : report["pages"])
                    if (page.is_object() && page.value("file", "") != "")
                        r.pages.push_back(baseName(page.value("file", "")));
        } catch (const std::exception&) {
            continue;  // not one of our reports; the folder is the user's too
        }
        const auto written = fs::last_write_time(entry.path(), ec);
        if (!ec)
            r.finishedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                               (std::chrono::system_clock::now() + (written - fs::file_time_type::clock::now()))
                                   .time_since_epoch())
                               .count();
        found.push_back(std::move(r));
    }
    std::sort(found.begin(), found.end(), [](const Receipt& a, const Receipt& b) { return a.job < b.job; });
    for (Receipt& r : found) keep(std::move(r));
}

bool ReceiptFolder::writeIndex(std::string& error) const {
    const fs::path final = fs::path(dir_) / "index.html";
    const fs::path temporary = fs::path(dir_) / ".index.html.tmp";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << renderReceiptIndex(receipts_);
        if (!out.flush()) {
            error = "cannot write " + temporary.string();
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temporary, final, ec);
    if (ec) {
        error = "cannot replace " + final.string() + ": " + ec.message();
        return false;
    }
    return true;
}

}  // namespace zsim::term

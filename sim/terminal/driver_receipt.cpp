#include "terminal/driver_receipt.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include <nlohmann/json.hpp>

#include "render/png_writer.h"

namespace zsim::term {

namespace fs = std::filesystem;

namespace {

// Bounds on what a backend may hand over: a page of an 80 mm queue is far
// smaller, and the PostScript is only kept, not read.
constexpr int kMaxPbmSide = 20000;
constexpr uintmax_t kMaxPostscriptBytes = 64u << 20;
constexpr size_t kMaxPages = 200;
constexpr int kLeftMarginDots = 32;
constexpr uint8_t kDotBelowGrey = 154;

// The next header token of a binary PBM, skipping white space and comments.
bool pbmNumber(std::istream& in, int& value) {
    int c = in.get();
    while (c == '#' || std::isspace(c)) {
        if (c == '#')
            while (c != '\n' && c != EOF) c = in.get();
        c = in.get();
    }
    long long n = 0;
    if (!std::isdigit(c)) return false;
    while (std::isdigit(c)) {
        n = n * 10 + (c - '0');
        if (n > kMaxPbmSide) return false;
        c = in.get();
    }
    value = static_cast<int>(n);
    return std::isspace(c);  // exactly one white space byte ends the header
}

// A page as the backend rendered it: 1-bit (PBM) or grey (PGM), the latter
// from ghostscript's smoothed text, whose shapes come closer to the font's at
// this small size than its 1-bit rasterizer. A pixel covered to about 40 %
// becomes a dot, as a thermal head's dot spreads a little beyond its cell;
// thin strokes of small Chinese characters stay whole that way.
struct Pbm {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bits;  // rows of (width + 7) / 8 bytes, 1 = black
};

bool readGrey(std::istream& in, Pbm& pbm) {
    int maxval = 0;
    if (!pbmNumber(in, maxval) || maxval != 255) return false;
    const size_t stride = static_cast<size_t>((pbm.width + 7) / 8);
    pbm.bits.assign(stride * pbm.height, 0);
    std::vector<uint8_t> row(static_cast<size_t>(pbm.width));
    for (int y = 0; y < pbm.height; ++y) {
        if (!in.read(reinterpret_cast<char*>(row.data()), static_cast<std::streamsize>(row.size()))) return false;
        for (int x = 0; x < pbm.width; ++x)
            if (row[x] < kDotBelowGrey) pbm.bits[y * stride + (x >> 3)] |= static_cast<uint8_t>(0x80 >> (x & 7));
    }
    return true;
}

bool readPbm(const std::string& path, Pbm& pbm, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    char magic[2] = {};
    if (!in.read(magic, 2) || magic[0] != 'P' || (magic[1] != '4' && magic[1] != '5') || !pbmNumber(in, pbm.width) ||
        !pbmNumber(in, pbm.height) || pbm.width <= 0 || pbm.height <= 0) {
        error = "not a page image: " + fs::path(path).filename().string();
        return false;
    }
    if (magic[1] == '5') {
        if (readGrey(in, pbm)) return true;
        error = "page image cut short: " + fs::path(path).filename().string();
        return false;
    }
    pbm.bits.resize(static_cast<size_t>((pbm.width + 7) / 8) * pbm.height);
    if (!in.read(reinterpret_cast<char*>(pbm.bits.data()), static_cast<std::streamsize>(pbm.bits.size()))) {
        error = "page image cut short: " + fs::path(path).filename().string();
        return false;
    }
    return true;
}

std::string numbered(int job, const std::string& suffix) {
    char name[32];
    std::snprintf(name, sizeof name, "driver-%04d", job);
    return name + suffix;
}

}  // namespace

bool readDriverJobRequest(const std::string& dir, DriverJobRequest& request, std::string& error) {
    std::error_code ec;
    std::ifstream info(fs::path(dir) / "job.info");
    if (!info) {
        error = "no job.info in " + dir;
        return false;
    }
    for (std::string line; std::getline(info, line);) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1, 500);
        if (key == "title")
            request.title = value;
        else if (key == "drawer")
            request.drawer = value == "1";
        else if (key == "error")
            request.error = value;
        else if (key == "stopped-at-page-cap")
            request.stoppedAtPageCap = value == "1";
    }
    const fs::path ps = fs::path(dir) / "job.ps";
    if (fs::exists(ps, ec) && fs::file_size(ps, ec) <= kMaxPostscriptBytes) request.postscript = ps.string();
    std::vector<std::string> pages;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("page-", 0) == 0 && (entry.path().extension() == ".pbm" || entry.path().extension() == ".pgm"))
            pages.push_back(entry.path().string());
    }
    std::sort(pages.begin(), pages.end());
    if (pages.size() > kMaxPages) pages.resize(kMaxPages);
    request.pages = std::move(pages);
    return true;
}

JobResult writeDriverReceipt(const DriverJobRequest& request, int job, const std::string& dir,
                             const DriverReceiptConfig& config) {
    JobResult result;
    result.job = job;
    std::vector<std::string> notes;
    if (!request.error.empty()) notes.push_back(request.error);
    if (request.stoppedAtPageCap)
        notes.push_back("more pages than fit on the longest receipt; later pages not printed");

    render::PageImage page;
    page.width = config.paperWidth;
    page.cut = true;
    int lastInk = -1;  // the receipt ends below its last printed row
    for (const std::string& file : request.pages) {
        Pbm pbm;
        std::string error;
        if (!readPbm(file, pbm, error)) {
            notes.push_back(error);
            continue;
        }
        // On the 80 mm page the head covers the middle 72 mm, 4 mm (32 dots)
        // in from the left edge; a wider page is printed from the same
        // place, and what lies beyond the head is lost, as on the printer.
        const int left = std::min(kLeftMarginDots, std::max(0, pbm.width - config.paperWidth));
        const int stride = (pbm.width + 7) / 8;
        for (int y = 0; y < pbm.height; ++y) {
            if (page.height >= config.maxPageLength) {
                page.truncated = true;
                page.droppedDots += static_cast<uint64_t>(pbm.height - y);
                break;
            }
            page.ink.resize(page.ink.size() + page.width, 0);
            uint8_t* row = page.ink.data() + static_cast<size_t>(page.height) * page.width;
            const uint8_t* src = pbm.bits.data() + static_cast<size_t>(y) * stride;
            bool ink = false;
            for (int x = 0; x < page.width && left + x < pbm.width; ++x) {
                const int sx = left + x;
                if (src[sx >> 3] & (0x80 >> (sx & 7))) {
                    row[x] = 255;
                    ink = true;
                }
            }
            if (ink) lastInk = page.height;
            ++page.height;
        }
    }
    if (page.truncated) notes.push_back("receipt longer than the page-length cap, cut off");
    // The paper is fed on a little past the last line before the cut, as
    // the driver's end-of-document feed does; blank paper is not printed.
    const int kept = lastInk < 0 ? 0 : std::min(page.height, lastInk + 1 + 48);
    page.height = kept;
    page.ink.resize(static_cast<size_t>(kept) * page.width);

    std::error_code ec;
    const fs::path base(dir);
    nlohmann::json pages = nlohmann::json::array();
    if (kept > 0) {
        const std::string png = (base / numbered(job, "-1.png")).string();
        std::string error;
        if (render::writePng(page, png, error)) {
            result.pageFiles.push_back(png);
            pages.push_back({{"file", png},
                             {"width", page.width},
                             {"height", page.height},
                             {"truncated", page.truncated},
                             {"dropped_dots", page.droppedDots}});
        } else {
            notes.push_back(error);
        }
    } else {
        notes.push_back("nothing on paper");
    }
    if (!request.postscript.empty()) {
        const fs::path raw = base / numbered(job, ".ps");
        fs::copy_file(request.postscript, raw, fs::copy_options::overwrite_existing, ec);
        if (ec) {
            notes.push_back("PostScript not kept: " + ec.message());
        } else {
            result.rawFile = raw.string();
            const uintmax_t size = fs::file_size(raw, ec);
            if (!ec) result.report.bytes = size;
        }
    }
    const nlohmann::json report = {{"job", job},
                                   {"source", "driver"},
                                   {"title", request.title},
                                   {"raw_file", result.rawFile},
                                   {"bytes", result.report.bytes},
                                   {"unknown_total", 0},
                                   {"pages_rendered", request.pages.size()},
                                   {"drawer_pulse", request.drawer},
                                   {"notes", notes},
                                   {"pages", pages}};
    result.reportFile = (base / numbered(job, ".json")).string();
    std::ofstream out(result.reportFile, std::ios::trunc);
    out << report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    for (const std::string& note : notes) result.report.note(0, note);
    return result;
}

}  // namespace zsim::term

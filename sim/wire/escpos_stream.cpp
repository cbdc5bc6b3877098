#include "wire/escpos_stream.h"

#include <algorithm>
#include <cstdint>

#include "wire/quoted.h"

namespace zsim::wire {

namespace {

using namespace escpos;

// As the interpreter: a header still unfinished after this many bytes is not understood.
constexpr size_t kMaxHeader = 300;
// Enough of the data to name a function and show a symbol's text.
constexpr size_t kPreview = 64;
constexpr size_t kMaxQueries = 64;
constexpr size_t kParamsShown = 16;

bool printable(uint8_t b) { return b >= 0x20 && b < 0x7F; }

// Parameters in decimal, as the reference writes them; a printable tail (a bar code's digits) quoted.
std::string params(const uint8_t* p, size_t n) {
    size_t end = n;
    const bool nul = end > 0 && p[end - 1] == 0 && end > 1 && printable(p[end - 2]);
    if (nul) --end;
    size_t tail = 0;
    while (tail < end && printable(p[end - 1 - tail])) ++tail;
    if (tail < 3) tail = 0;
    std::string out;
    const size_t numbers = end - tail;
    for (size_t i = 0; i < numbers && i < kParamsShown; ++i) out += (out.empty() ? "" : " ") + std::to_string(p[i]);
    if (numbers > kParamsShown) out += " …";
    if (tail) out += (out.empty() ? "" : " ") + quoted(p + numbers, tail, 48);
    if (nul) out += " 0";
    return out;
}

// What an image command's header says of its size.
std::string imageWords(const uint8_t* c, size_t n) {
    if (n >= 8 && c[0] == GS && c[1] == 'v' && c[2] == '0')
        return "image " + std::to_string(le16(c + 4) * 8) + " × " + std::to_string(le16(c + 6)) + " dots";
    if (n >= 5 && c[0] == ESC && c[1] == '*')
        return "image band " + std::to_string(le16(c + 3)) + " columns × " + (c[2] >= 32 ? "24" : "8") + " dots";
    return {};
}

// The text a QR code or PDF417 stores (GS ( k cn 80 m d...), which is what the symbol will say.
std::string symbolText(const uint8_t* c, size_t n, const Bytes& preview, uint64_t total) {
    if (n < 3 || c[0] != GS || c[1] != '(' || c[2] != 'k' || preview.size() < 3 || preview[1] != 80) return {};
    std::string out = quoted(preview.data() + 3, preview.size() - 3, 48);
    if (total > preview.size()) out += " (" + std::to_string(total - 3) + " bytes)";
    return out;
}

void append(std::string& what, const std::string& part, const char* between) {
    if (!part.empty()) what += between + part;
}

}  // namespace

bool EscPosStream::counted(uint64_t size) {
    if (out_->size() < maxItems_) return false;
    ++unlisted_;
    unlistedBytes_ += size;
    return true;
}

void EscPosStream::emit(Item item) {
    if (!counted(item.size)) out_->push_back(std::move(item));
}

void EscPosStream::fromHost(const uint8_t* p, size_t n, size_t maxItems, std::vector<Item>& out) {
    out_ = &out;
    maxItems_ = maxItems;
    unlisted_ = unlistedBytes_ = 0;
    work_.assign(pending_.begin(), pending_.end());
    work_.insert(work_.end(), p, p + n);
    pending_.clear();
    for (size_t i = 0; i < work_.size();) {
        const uint8_t* q = work_.data() + i;
        const size_t left = work_.size() - i;
        const size_t used = data_.active ? data(q, left) : *q >= 0x20 ? text(q, left, true) : command(q, left);
        if (used == 0) {
            pending_.assign(q, q + left);
            break;
        }
        i += used;
    }
    if (unlisted_)
        out.push_back(Item("… " + std::to_string(unlisted_) + " more commands and texts, not listed one by one",
                           nullptr, 0, unlistedBytes_));
    out_ = nullptr;
}

size_t EscPosStream::text(const uint8_t* p, size_t n, bool more) {
    size_t run = 0;
    while (run < n && p[run] >= 0x20) ++run;
    if (run == n && more) {
        // A character split between two pieces is shown whole, with the next.
        run -= unfinishedGbk(p, run);
        if (run == 0) return 0;
    }
    if (counted(run)) return run;
    std::string what = "text " + quoted(p, run);
    if (run > 80) what += " (" + std::to_string(run) + " bytes)";
    emit(Item(std::move(what), p, run));
    return run;
}

size_t EscPosStream::command(const uint8_t* p, size_t n) {
    const size_t window = std::min(n, kMaxHeader + 1);
    const Located at = locate(p, window);
    const Extent& e = at.extent;
    if (e.fit == Fit::NeedMore) {
        if (window <= kMaxHeader) return 0;
        notUnderstood(p, window);
        return window;
    }
    if (e.fit != Fit::Whole) {
        const size_t skipped = std::clamp<size_t>(e.header, 1, window);
        notUnderstood(p, skipped);
        return skipped;
    }
    const size_t keyLength = at.row->key.length;
    if (!e.records && e.data == 0) {
        expectAnswer(p, e.header, {});
        list(p, e.header, keyLength, {}, 0, {});
        return e.header;
    }
    data_ = Data();
    data_.active = true;
    data_.header.assign(p, p + e.header);
    data_.keyLength = keyLength;
    if (e.records) {
        data_.records = e.records;
        data_.recordsLeft = e.records->count(p);
        data_.listed = true;
        list(p, e.header, keyLength, {}, 0, std::to_string(data_.recordsLeft) + " record(s) of data");
        if (data_.recordsLeft == 0) data_ = Data();
    } else {
        data_.total = data_.left = e.data;
    }
    return e.header;
}

size_t EscPosStream::data(const uint8_t* p, size_t n) {
    Data& d = data_;
    size_t used = 0;
    if (!d.records) {
        if (!d.listed) {
            const size_t want = static_cast<size_t>(std::min<uint64_t>(d.total, kPreview));
            used = std::min(n, want - d.preview.size());
            d.preview.insert(d.preview.end(), p, p + used);
            d.left -= used;
            if (d.preview.size() == want) {
                d.listed = true;
                expectAnswer(d.header.data(), d.header.size(), d.preview);
                list(d.header.data(), d.header.size(), d.keyLength, d.preview, d.total, {});
            }
        }
        const size_t skip = static_cast<size_t>(std::min<uint64_t>(d.left, n - used));
        used += skip;
        d.left -= skip;
        if (d.left == 0 && d.listed) d = Data();
        return used;
    }
    while (used < n && d.recordsLeft) {
        if (d.head.size() < d.records->headLength) {
            d.head.push_back(p[used++]);
            if (d.head.size() == d.records->headLength) d.left = d.records->bodyLength(d.header.data(), d.head.data());
        } else {
            const size_t skip = static_cast<size_t>(std::min<uint64_t>(d.left, n - used));
            used += skip;
            d.left -= skip;
        }
        if (d.head.size() == d.records->headLength && d.left == 0) {
            --d.recordsLeft;
            d.head.clear();
        }
    }
    if (d.recordsLeft == 0) d = Data();
    return used;
}

void EscPosStream::list(const uint8_t* header, size_t headerLength, size_t keyLength, const Bytes& preview,
                        uint64_t dataBytes, const std::string& dataWords) {
    if (counted(headerLength + dataBytes)) return;
    Bytes all(header, header + headerLength);
    all.insert(all.end(), preview.begin(), preview.end());
    const Description d = describe(all.data(), all.size());
    std::string what = d.name.empty() ? spell(header, keyLength) : d.name;
    std::string shown = params(header + keyLength, headerLength - keyLength);
    std::string data = dataBytes ? "data " + std::to_string(dataBytes) + " bytes" : dataWords;
    const Located at = locate(all.data(), all.size());
    if (at.row && at.row->function && preview.size() >= 2) {
        // GS ( k, GS ( L: the header only gives the data's length; the function's own
        // parameters (after the two bytes that select it), or the symbol's text, say more.
        const std::string text = symbolText(header, headerLength, preview, dataBytes);
        const bool small = dataBytes <= 2 + kParamsShown;
        shown = !text.empty() ? text : small ? params(preview.data() + 2, preview.size() - 2) : std::string();
        if (!text.empty() || small) data.clear();
    }
    append(what, shown, "  ");
    append(what, pulseWords(header, headerLength), " · ");
    append(what, imageWords(header, headerLength), " · ");
    append(what, data, " · ");
    emit(Item(std::move(what), all.data(), all.size(), headerLength + dataBytes));
}

void EscPosStream::notUnderstood(const uint8_t* p, size_t n) {
    if (counted(n)) return;
    emit(Item("not understood: " + spell(p, std::min<size_t>(n, 3)) + (n > 3 ? " …" : ""), p, n));
}

void EscPosStream::expectAnswer(const uint8_t* c, size_t n, const Bytes& data) {
    auto ask = [this](Query::Kind kind, int number) {
        queries_.push_back(Query{kind, number});
        if (queries_.size() > kMaxQueries) queries_.pop_front();
    };
    if (n < 2) return;
    if (c[0] == ESC && c[1] == 'u') return ask(Query::Drawer, 0);
    if (c[0] == ESC && c[1] == 'v') return ask(Query::PaperSensor, 0);
    if (n < 3) return;
    if (c[0] == DLE && c[1] == EOT && c[2] >= 1 && c[2] <= 4) return ask(Query::RealTime, c[2]);
    if (c[0] == GS && c[1] == 'r' && (asciiOrBinary(c[2]) == 1 || asciiOrBinary(c[2]) == 2))
        return ask(asciiOrBinary(c[2]) == 1 ? Query::PaperSensor : Query::Drawer, 0);
    if (c[0] == GS && c[1] == 'I' &&
        ((c[2] >= 1 && c[2] <= 3) || (c[2] >= 49 && c[2] <= 51) || (c[2] >= 65 && c[2] <= 69)))
        return ask(Query::PrinterId, c[2]);
    if (c[0] == GS && c[1] == 'a') automaticStatus_ = c[2] != 0;
    if (c[0] == GS && c[1] == '(' && c[2] == 'k' && data.size() >= 2 && data[0] == 48 && data[1] == 82)
        ask(Query::Pdf417Size, 0);
}

void EscPosStream::answer(const uint8_t* p, size_t n, std::vector<Item>& out) {
    // The answers to requests are one byte; four bytes that look like it are the printer speaking by itself.
    const bool oneByteAsked =
        !queries_.empty() && queries_.front().kind != Query::PrinterId && queries_.front().kind != Query::Pdf417Size;
    if (automaticStatus_ && isAutomaticStatus(p, n) && (queries_.empty() || oneByteAsked)) {
        out.push_back(Item(automaticStatusWords(p, wiring_), p, n));
        return;
    }
    if (queries_.empty()) {
        out.push_back(Item("answer to no request seen", p, n));
        return;
    }
    const Query q = queries_.front();
    queries_.pop_front();
    out.push_back(Item(answerWords(q, p, n, wiring_), p, n));
}

void EscPosStream::endJob(std::vector<Item>& out) {
    out_ = &out;
    maxItems_ = SIZE_MAX;
    unlisted_ = unlistedBytes_ = 0;
    if (data_.active) {
        const Data& d = data_;
        if (!d.listed) list(d.header.data(), d.header.size(), d.keyLength, d.preview, d.total, {});
        const std::string name = spell(d.header.data(), d.keyLength);
        out.push_back(Item("the job ended inside the data of " + name +
                               (d.records ? std::string() : ", " + std::to_string(d.left) + " bytes short"),
                           nullptr, 0, 0));
    } else if (!pending_.empty() && pending_[0] >= 0x20) {
        text(pending_.data(), pending_.size(), false);
    } else if (!pending_.empty()) {
        out.push_back(
            Item("cut off by the end of the job: " + spell(pending_.data(), std::min<size_t>(3, pending_.size())),
                 pending_.data(), pending_.size()));
    }
    pending_.clear();
    data_ = Data();
    queries_.clear();
    out_ = nullptr;
}

}  // namespace zsim::wire

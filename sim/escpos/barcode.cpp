#include "escpos/barcode.h"

#include "escpos/zint_symbol.h"

#include <algorithm>
#include <cctype>
#include <memory>

namespace zsim::escpos {

namespace {

bool allDigits(const std::string& s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
}

// Takes the digits without their check digit; notes when the host's check
// digit was wrong. The printer prints a valid symbol either way, so a
// mistyped check digit shows up as a corrected number, not as a symbol no
// scanner can read.
std::string dropCheckDigit(const std::string& digits, BarcodeModules& out) {
    std::string body = digits.substr(0, digits.size() - 1);
    const int expected = gtinCheckDigit(body);
    if (digits.back() - '0' != expected)
        out.notes.push_back("check digit " + std::string(1, digits.back()) + " replaced by " +
                            std::to_string(expected));
    return body;
}

struct ZintInput {
    int symbology = 0;
    std::string data;
    int mode = DATA_MODE;
};

// GS1 element strings as ESC/POS sends them: "(01)0950110153000*" with the
// application identifiers in parentheses (printed, not encoded), or bare
// "0109501101530003"; "{1" is FNC1, "{{", "{(", "{)", "{*" the characters
// themselves, and '*' the check digit of the element, worked out here. To
// libzint's bracket form, "[01]09501101530003", its AIs unchecked: the
// printer encodes what it is given. Bare data is one element whose AI is its
// first two digits, as is each part after an FNC1.
bool gs1Elements(const std::string& d, std::string& out, std::string& error) {
    out.clear();
    bool inAi = false, inElement = false;
    size_t elementData = 0;  // where the element's data starts in out
    const auto digit = [&](size_t i) { return i < d.size() && std::isdigit(static_cast<unsigned char>(d[i])); };
    for (size_t i = 0; i < d.size(); ++i) {
        char c = d[i];
        if (c == '{' && i + 1 < d.size()) {
            c = d[++i];
            if (c == '1') {
                inElement = false;  // FNC1: the next element starts here
                continue;
            }
            if (c != '{' && c != '(' && c != ')' && c != '*') {
                error = std::string("GS1 data: {") + c + " is no special character";
                return false;
            }
        } else if (c == '(' && !inAi) {
            out += '[';
            inAi = inElement = true;
            continue;
        } else if (c == ')' && inAi) {
            out += ']';
            inAi = false;
            elementData = out.size();
            continue;
        } else if (!inElement) {
            if (!digit(i) || !digit(i + 1)) {
                error = "GS1 data must start each element with an application identifier";
                return false;
            }
            out += "[" + d.substr(i++, 2) + "]";
            elementData = out.size();
            inElement = true;
            continue;
        } else if (c == '*' && !inAi) {
            const std::string digits = out.substr(elementData);
            if (!allDigits(digits)) {
                error = "GS1 data: * follows no digits";
                return false;
            }
            c = static_cast<char>('0' + gtinCheckDigit(digits));
        }
        if (!inElement) {
            error = "GS1 data must start each element with an application identifier";
            return false;
        }
        out += c;
    }
    if (out.empty() || inAi || out.back() == ']') {
        error = "GS1 data needs application identifiers, each with data";
        return false;
    }
    return true;
}

bool prepare(Symbology s, const std::string& raw, ZintInput& in, BarcodeModules& out) {
    std::string d = raw;
    switch (s) {
    case Symbology::UpcA:
        if (!allDigits(d) || (d.size() != 11 && d.size() != 12)) {
            out.error = "UPC-A needs 11 or 12 digits";
            return false;
        }
        if (d.size() == 12) d = dropCheckDigit(d, out);
        in = {BARCODE_UPCA, d};
        return true;
    case Symbology::UpcE: {
        if (!allDigits(d) || d.size() < 6 || d.size() == 9 || d.size() == 10 || d.size() > 12) {
            out.error = "UPC-E needs 6, 7, 8, 11 or 12 digits";
            return false;
        }
        if (d.size() == 8) d = dropCheckDigit(d, out);
        if (d.size() == 12) d = dropCheckDigit(d, out);
        if (d.size() == 11) {
            std::string six;
            if (!suppressUpcZeros(d, six)) {
                out.error = "UPC-A number " + d + " has no UPC-E form";
                return false;
            }
            d = d.substr(0, 1) + six;
        }
        if (d.size() == 7 && d[0] != '0' && d[0] != '1') {
            out.error = "UPC-E number system must be 0 or 1";
            return false;
        }
        in = {BARCODE_UPCE, d};
        return true;
    }
    case Symbology::Ean13:
        if (!allDigits(d) || (d.size() != 12 && d.size() != 13)) {
            out.error = "EAN-13 needs 12 or 13 digits";
            return false;
        }
        if (d.size() == 13) d = dropCheckDigit(d, out);
        in = {BARCODE_EANX, d};
        return true;
    case Symbology::Ean8:
        if (!allDigits(d) || (d.size() != 7 && d.size() != 8)) {
            out.error = "EAN-8 needs 7 or 8 digits";
            return false;
        }
        if (d.size() == 8) d = dropCheckDigit(d, out);
        in = {BARCODE_EANX, d};
        return true;
    case Symbology::Code39:
        // A leading and trailing '*' are the start/stop characters, which
        // the symbol has anyway.
        if (d.size() >= 2 && d.front() == '*' && d.back() == '*') d = d.substr(1, d.size() - 2);
        in = {BARCODE_CODE39, d};
        return true;
    case Symbology::Itf: in = {BARCODE_C25INTER, d}; return true;
    case Symbology::Codabar:
        for (char& c : d)
            if (c >= 'a' && c <= 'd') c = static_cast<char>(c - 'a' + 'A');
        in = {BARCODE_CODABAR, d};
        return true;
    case Symbology::Code93: in = {BARCODE_CODE93, d}; return true;
    case Symbology::Code128: {
        // ESC/POS CODE128 data starts with a code set ({A, {B, {C}; in set
        // C each byte is one pair of digits. libzint picks its own code
        // sets, which encodes the same text.
        std::string text;
        char set = 0;
        for (size_t i = 0; i < d.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(d[i]);
            if (c == '{' && i + 1 < d.size()) {
                const char f = d[++i];
                if (f == 'A' || f == 'B' || f == 'C') {
                    set = f;
                } else if (f == '{') {
                    text += '{';
                } else if (f == 'S') {
                    // shift: the next character is from the other set; as
                    // text it is just that character
                } else {
                    out.notes.push_back(std::string("CODE128 function code {") + f + " left out");
                }
                continue;
            }
            if (set == 'C') {
                if (c > 99) {
                    out.error = "CODE128 code set C value above 99";
                    return false;
                }
                text += static_cast<char>('0' + c / 10);
                text += static_cast<char>('0' + c % 10);
            } else {
                text += static_cast<char>(c);
            }
        }
        if (set == 0) {
            out.error = "CODE128 data must start with {A, {B or {C";
            return false;
        }
        in = {BARCODE_CODE128, text};
        return true;
    }
    case Symbology::Gs1_128:
    case Symbology::DataBarExpanded: {
        std::string elements;
        if (!gs1Elements(d, elements, out.error)) return false;
        in = {s == Symbology::Gs1_128 ? BARCODE_GS1_128 : BARCODE_DBAR_EXP, elements, GS1_MODE | GS1NOCHECK_MODE};
        return true;
    }
    case Symbology::DataBar:
    case Symbology::DataBarTruncated:
    case Symbology::DataBarLimited:
        // The GTIN without AI (01) and without its check digit, which the
        // printer adds; a 14th digit is taken as that check digit.
        if (!allDigits(d) || (d.size() != 13 && d.size() != 14)) {
            out.error = std::string(symbologyName(s)) + " needs 13 digits";
            return false;
        }
        if (d.size() == 14) d = dropCheckDigit(d, out);
        if (s == Symbology::DataBarLimited && d[0] > '1') {
            out.error = "GS1 DataBar Limited must start with 0 or 1";
            return false;
        }
        in = {s == Symbology::DataBarLimited ? BARCODE_DBAR_LTD : BARCODE_DBAR_OMN, d};
        return true;
    case Symbology::Code128Auto: in = {BARCODE_CODE128, d}; return true;
    case Symbology::Unsupported: break;
    }
    out.error = "symbology not supported";
    return false;
}

}  // namespace

Symbology symbologyFromGsK(uint8_t m) {
    if (m <= 6) return static_cast<Symbology>(m);
    if (m >= 65 && m <= 79) return static_cast<Symbology>(m - 65);
    return Symbology::Unsupported;
}

const char* symbologyName(Symbology s) {
    static const char* const names[] = {"UPC-A",
                                        "UPC-E",
                                        "EAN-13",
                                        "EAN-8",
                                        "CODE39",
                                        "ITF",
                                        "CODABAR",
                                        "CODE93",
                                        "CODE128",
                                        "GS1-128",
                                        "GS1 DataBar",
                                        "GS1 DataBar Truncated",
                                        "GS1 DataBar Limited",
                                        "GS1 DataBar Expanded",
                                        "CODE128 auto",
                                        "unsupported"};
    return names[static_cast<int>(s)];
}

int gtinCheckDigit(const std::string& body) {
    int sum = 0;
    // Weights 3, 1, 3, ... counted from the rightmost digit of the body.
    for (size_t i = 0; i < body.size(); ++i) {
        const int digit = body[body.size() - 1 - i] - '0';
        sum += digit * (i % 2 == 0 ? 3 : 1);
    }
    return (10 - sum % 10) % 10;
}

bool suppressUpcZeros(const std::string& a, std::string& e) {
    if (a.size() < 11) return false;
    const std::string m = a.substr(1, 5), p = a.substr(6, 5);
    if ((m.compare(2, 3, "000") == 0 || m.compare(2, 3, "100") == 0 || m.compare(2, 3, "200") == 0) &&
        p.compare(0, 2, "00") == 0) {
        e = m.substr(0, 2) + p.substr(2, 3) + m[2];
    } else if (m.compare(3, 2, "00") == 0 && p.compare(0, 3, "000") == 0) {
        e = m.substr(0, 3) + p.substr(3, 2) + "3";
    } else if (m[4] == '0' && p.compare(0, 4, "0000") == 0) {
        e = m.substr(0, 4) + p.substr(4, 1) + "4";
    } else if (p.compare(0, 4, "0000") == 0 && p[4] >= '5') {
        e = m + p.substr(4, 1);
    } else {
        return false;
    }
    return true;
}

BarcodeModules encodeBarcode(Symbology s, const std::vector<uint8_t>& data) {
    BarcodeModules out;
    ZintInput in;
    if (data.empty()) {
        out.error = "no data";
        return out;
    }
    if (!prepare(s, std::string(data.begin(), data.end()), in, out)) return out;

    const ZintSymbol sym = makeZintSymbol();
    if (!sym) {
        out.error = "libzint could not allocate a symbol";
        return out;
    }
    sym->symbology = in.symbology;
    sym->input_mode = in.mode;
    sym->show_hrt = 1;
    const int rc = ZBarcode_Encode(sym.get(), reinterpret_cast<const unsigned char*>(in.data.data()),
                                   static_cast<int>(in.data.size()));
    out.error = zintFailure(*sym, rc);
    if (!out.error.empty()) return out;
    out.modules.resize(sym->width);
    for (int x = 0; x < sym->width; ++x) out.modules[x] = (sym->encoded_data[0][x >> 3] >> (x & 7)) & 1;
    out.hri = reinterpret_cast<const char*>(sym->text);
    if (out.hri.empty()) out.hri = in.data;
    // Readers give EAN/UPC numbers with their check digit, which libzint's
    // human-readable text has; GS1 symbols as AIs and data without
    // parentheses ("0109501101530003"); for the others the data itself.
    const bool gtin = s == Symbology::UpcA || s == Symbology::UpcE || s == Symbology::Ean13 || s == Symbology::Ean8;
    if (in.mode & GS1_MODE || in.symbology == BARCODE_DBAR_OMN || in.symbology == BARCODE_DBAR_LTD) {
        out.text.clear();
        for (char c : out.hri)
            if (c != '(' && c != ')') out.text += c;
    } else {
        out.text = gtin ? out.hri : in.data;
    }
    out.ok = true;
    return out;
}

}  // namespace zsim::escpos

#include "terminal/receipt_index_html.h"

#include <ctime>

#include "terminal/receipt_folder.h"

namespace zsim::term {

namespace {

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string localTime(int64_t ms) {
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    std::tm parts{};
    localtime_r(&seconds, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}

}  // namespace

std::string renderReceiptIndex(const std::deque<Receipt>& receipts) {
    std::string html =
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Receipts</title>\n"
        "<style>body{font-family:sans-serif;background:#eee}section{background:#fff;margin:1em;padding:1em;"
        "display:inline-block;vertical-align:top}img{display:block;border:1px solid #ccc;margin:.5em 0;"
        "max-width:100%}.unknown{color:#b00}</style></head><body>\n<h1>Receipts</h1>\n";
    if (receipts.empty()) html += "<p>No receipts yet.</p>\n";
    for (auto it = receipts.rbegin(); it != receipts.rend(); ++it) {
        const Receipt& r = *it;
        html += "<section id=\"job-" + std::to_string(r.job) + "\"><h2>Job " + std::to_string(r.job) + "</h2>\n";
        html += "<p>" + localTime(r.finishedMs) + (r.line.empty() ? "" : " &middot; via " + escaped(r.line)) +
                " &middot; " + std::to_string(r.bytes) + " bytes &middot; ";
        html += "<a href=\"" + escaped(r.raw) + "\">raw bytes</a> &middot; <a href=\"" + escaped(r.report) +
                "\">report</a>";
        if (!r.wire.empty()) html += " &middot; <a href=\"" + escaped(r.wire) + "\">wire</a>";
        html += "</p>\n";
        html += std::string("<p") + (r.unknown ? " class=\"unknown\"" : "") +
                ">Unknown commands: " + std::to_string(r.unknown) + "</p>\n";
        if (r.pages.empty()) html += "<p>Nothing on paper.</p>\n";
        for (const std::string& page : r.pages)
            html += "<a href=\"" + escaped(page) + "\"><img src=\"" + escaped(page) + "\" alt=\"" + escaped(page) +
                    "\"></a>\n";
        html += "</section>\n";
    }
    return html + "</body></html>\n";
}

}  // namespace zsim::term

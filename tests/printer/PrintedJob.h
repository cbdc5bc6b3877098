// What a printer job put on paper, as ghostscript reads it back from the PostScript that the
// spooler delivered: each drawn line's text and where it stands.
#pragma once

#include <string>
#include <vector>

struct PrintedLine {
    int page = 0; // counted from 0
    int x = 0; // left edge, device units from the paper's left edge
    int baseline = 0; // device units from the paper's top edge
    std::wstring text;
};

struct PrintedJob {
    int pages = 0;
    std::vector<PrintedLine> lines; // in the order they stand on the paper
    std::string postscript;
};

// Extracts the text of the PostScript file at unixPath with ghostscript's txtwrite device at
// dpi, the printer's resolution, so positions come out in its device units. False with a reason
// in error when ghostscript fails.
bool ReadPrintedJob(const std::string& unixPath, int dpi, PrintedJob& job, std::string& error);

// Parses txtwrite's XML (text format 1).
PrintedJob ParseTxtwrite(const std::string& xml);

// Runs of white space made one space, none at the ends: txtwrite writes the gaps it measures,
// not the spaces that made them.
std::wstring Squeezed(const std::wstring& text);

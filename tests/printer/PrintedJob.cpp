#include "PrintedJob.h"

#include "HostShell.h"
#include "support/TestFiles.h"

#include <cstdlib>
#include <cwctype>

namespace {

std::string Attribute(const std::string& xml, size_t tagStart, const char* name)
{
    const size_t tagEnd = xml.find('>', tagStart);
    const std::string key = std::string(" ") + name + "=\"";
    const size_t at = xml.find(key, tagStart);
    if (at == std::string::npos || at > tagEnd)
        return {};
    const size_t valueStart = at + key.size();
    return xml.substr(valueStart, xml.find('"', valueStart) - valueStart);
}

std::wstring DecodeEntities(const std::string& utf8)
{
    std::wstring out;
    const std::wstring text = FromUtf8(utf8);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'&') {
            out.push_back(text[i]);
            continue;
        }
        const size_t end = text.find(L';', i);
        const std::wstring entity = text.substr(i + 1, end - i - 1);
        if (entity == L"amp")
            out.push_back(L'&');
        else if (entity == L"lt")
            out.push_back(L'<');
        else if (entity == L"gt")
            out.push_back(L'>');
        else if (entity == L"quot")
            out.push_back(L'"');
        else if (entity == L"apos")
            out.push_back(L'\'');
        else if (entity.size() > 2 && entity[0] == L'#' && entity[1] == L'x')
            out.push_back(static_cast<wchar_t>(std::wcstoul(entity.c_str() + 2, nullptr, 16)));
        else if (entity.size() > 1 && entity[0] == L'#')
            out.push_back(static_cast<wchar_t>(std::wcstoul(entity.c_str() + 1, nullptr, 10)));
        i = end;
    }
    return out;
}

} // namespace

PrintedJob ParseTxtwrite(const std::string& xml)
{
    PrintedJob job;
    int page = -1;
    for (size_t at = xml.find('<'); at != std::string::npos; at = xml.find('<', at + 1)) {
        if (xml.compare(at, 6, "<page>") == 0 || xml.compare(at, 6, "<page ") == 0) {
            ++page;
        } else if (xml.compare(at, 6, "<span ") == 0) {
            const std::string box = Attribute(xml, at, "bbox");
            char* next = nullptr;
            PrintedLine line;
            line.page = page;
            line.x = static_cast<int>(std::strtol(box.c_str(), &next, 10));
            line.baseline = static_cast<int>(std::strtol(next, nullptr, 10));
            // One drawn line may come as several spans where it has wide gaps; they share a baseline.
            if (!job.lines.empty() && job.lines.back().page == page && job.lines.back().baseline == line.baseline) {
                job.lines.back().text.push_back(L' ');
            } else {
                job.lines.push_back(line);
            }
        } else if (xml.compare(at, 6, "<char ") == 0 && !job.lines.empty()) {
            job.lines.back().text += DecodeEntities(Attribute(xml, at, "c"));
        }
    }
    job.pages = page + 1;
    return job;
}

bool ReadPrintedJob(const std::string& unixPath, int dpi, PrintedJob& job, std::string& error)
{
    const std::string xmlPath = unixPath + ".xml";
    std::string output;
    const int rc = RunOnHost("gs -q -dSAFER -dNOPAUSE -dBATCH -r" + std::to_string(dpi) +
            " -sDEVICE=txtwrite -dTextFormat=1 -sOutputFile='" + xmlPath + "' '" + unixPath + "'",
        &output);
    if (rc != 0) {
        error = "ghostscript failed (" + std::to_string(rc) + "): " + output;
        return false;
    }
    job = ParseTxtwrite(ReadWholeFile(DosPath(xmlPath)));
    job.postscript = ReadWholeFile(DosPath(unixPath));
    return true;
}

std::wstring Squeezed(const std::wstring& text)
{
    std::wstring out;
    for (wchar_t c : text) {
        if (std::iswspace(c)) {
            if (!out.empty() && out.back() != L' ')
                out.push_back(L' ');
        } else {
            out.push_back(c);
        }
    }
    while (!out.empty() && out.back() == L' ')
        out.pop_back();
    return out;
}

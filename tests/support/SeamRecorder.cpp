#include "SeamRecorder.h"

#include <gtest/gtest.h>

SeamRecorder::SeamRecorder() : m_previous(CurrentSeams())
{
    Seams& seams = CurrentSeams();
    seams.messageBox = [this](HWND owner, const std::string& text, const char* caption, UINT type) {
        boxes.push_back(RecordedBox {text, caption ? std::optional<std::string>(caption) : std::nullopt, type, owner});
        return IDOK;
    };
    seams.openFile = [this](HWND, const std::string& filter, std::string& path) {
        fileFilters.push_back(filter);
        if (fileAnswers.empty() || !fileAnswers.front()) {
            if (!fileAnswers.empty())
                fileAnswers.erase(fileAnswers.begin());
            return false;
        }
        path = *fileAnswers.front();
        fileAnswers.erase(fileAnswers.begin());
        return true;
    };
    seams.shellOpen = [this](HWND owner, const std::string& verb, const std::string& file, int show) {
        shellCalls.push_back(RecordedShell {verb, file, show, owner});
    };
}

SeamRecorder::~SeamRecorder()
{
    CurrentSeams() = m_previous;
}

std::vector<std::string> SeamRecorder::Texts() const
{
    std::vector<std::string> texts;
    for (const RecordedBox& box : boxes)
        texts.push_back(box.text);
    return texts;
}

void InstallFailingSeams()
{
    Seams& seams = CurrentSeams();
    seams.messageBox = [](HWND, const std::string& text, const char*, UINT) {
        ADD_FAILURE() << "unexpected message box: " << text;
        return IDOK;
    };
    seams.openFile = [](HWND, const std::string&, std::string&) {
        ADD_FAILURE() << "unexpected file-open dialog";
        return false;
    };
    seams.shellOpen = [](HWND, const std::string&, const std::string& file, int) {
        ADD_FAILURE() << "unexpected shell call for " << file;
    };
}

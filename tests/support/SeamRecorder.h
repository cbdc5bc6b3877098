// Stands in for the message box, the file-open dialog and the shell while a test runs, and keeps
// what the program asked of them.
#pragma once

#include "framework/Seams.h"

#include <optional>
#include <string>
#include <vector>

struct RecordedBox {
    std::string text;
    std::optional<std::string> caption; // empty optional: the system's default caption
    UINT type = 0;
    HWND owner = nullptr;
};

struct RecordedShell {
    std::string verb;
    std::string file;
    int show = 0;
    HWND owner = nullptr;
};

class SeamRecorder {
public:
    SeamRecorder();
    ~SeamRecorder();
    SeamRecorder(const SeamRecorder&) = delete;
    SeamRecorder& operator=(const SeamRecorder&) = delete;

    std::vector<RecordedBox> boxes;
    std::vector<std::string> fileFilters;
    std::vector<RecordedShell> shellCalls;

    // What the next file-open dialogs answer: a path, or nullopt for Cancel.
    std::vector<std::optional<std::string>> fileAnswers;

    std::vector<std::string> Texts() const;

private:
    Seams m_previous;
};

// Outside a SeamRecorder any message box, file dialog or shell call fails the test instead of
// blocking it; TestMain installs this.
void InstallFailingSeams();

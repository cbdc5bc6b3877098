// zpt_drive.exe: presses the buttons of a running ZantorPosTest from a shell script (the run
// command's --demo) and prints, in UTF-8, what the program shows in return.
#include "ProgramDriver.h"
#include "Utf8.h"
#include "WindowText.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: zpt_drive.exe [--bound MS] COMMAND ...\n"
    "  wait                          wait for the main window, print its caption\n"
    "  page setup|printer|scale      show a page with the main window's page button\n"
    "  click PAGE ID [--file PATH] [--leave-box]\n"
    "                                press a button; print each message box as\n"
    "                                'box: CAPTION: TEXT' and answer it with OK; a file dialog\n"
    "                                gets PATH (or is cancelled); --leave-box stops at the first box\n"
    "  answer                        press OK on the open message box, then as click\n"
    "  select PAGE ID ENTRY          choose ENTRY in a list as the user would\n"
    "  text PAGE ID                  print the control's text\n"
    "  checked PAGE ID               print 1 when the check box or radio button is checked, else 0\n"
    "  shown PAGE ID                 print 1 when the control is shown and enabled, else 0\n"
    "  wait-text PAGE ID TEXT        wait until the control shows exactly TEXT (within the bound)\n"
    "  close                         press the close button, wait for the program to end\n"
    "Exit status: 0 done, 1 failed (why on stderr), 2 bad command line.\n";

void Print(const std::string& utf8)
{
    DWORD written = 0;
    const std::string line = utf8 + "\n";
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

int Fail(const std::string& why)
{
    std::fprintf(stderr, "zpt_drive: %s\n", why.c_str());
    return 1;
}

int Usage()
{
    std::fputs(kUsage, stderr);
    return 2;
}

void PrintBoxes(const ClickOutcome& outcome)
{
    for (const ModalWindow& box : outcome.boxes)
        Print("box: " + ToUtf8(box.caption) + ": " + ToUtf8(box.text));
    if (outcome.fileDialogShown)
        Print("file dialog");
}

int Report(const ClickOutcome& outcome)
{
    PrintBoxes(outcome);
    return outcome.done ? 0 : Fail(outcome.error);
}

bool ParseId(const std::wstring& text, int& id)
{
    wchar_t* end = nullptr;
    const long value = std::wcstol(text.c_str(), &end, 10);
    if (text.empty() || *end || value < 0 || value > 65535)
        return false;
    id = static_cast<int>(value);
    return true;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    std::vector<std::wstring> args(argv + 1, argv + argc);
    unsigned bound = 30000;
    if (args.size() >= 2 && args[0] == L"--bound") {
        bound = static_cast<unsigned>(std::wcstoul(args[1].c_str(), nullptr, 10));
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty())
        return Usage();
    const std::wstring command = args[0];

    ProgramDriver driver;
    std::string error;
    if (!driver.Attach(0, bound, error))
        return Fail(error);

    if (command == L"wait" && args.size() == 1) {
        Print(ToUtf8(ReadWindowText(driver.MainWindow()).value_or(L"")));
        return 0;
    }
    if (command == L"close" && args.size() == 1)
        return driver.Close(bound, error) ? 0 : Fail(error);
    if (command == L"answer" && args.size() == 1) {
        ClickOptions options;
        options.boundMs = bound;
        return Report(driver.AnswerOpenBox(options));
    }
    if (command == L"page" && args.size() == 2) {
        const std::optional<Page> page = PageNamed(args[1]);
        if (!page)
            return Usage();
        return driver.ShowPage(*page, error) ? 0 : Fail(error);
    }

    if (args.size() < 3)
        return Usage();
    const std::optional<Page> page = PageNamed(args[1]);
    int id = 0;
    if (!page || !ParseId(args[2], id))
        return Usage();

    if (command == L"click") {
        ClickOptions options;
        options.boundMs = bound;
        for (size_t i = 3; i < args.size(); ++i) {
            if (args[i] == L"--leave-box")
                options.leaveFirstBoxOpen = true;
            else if (args[i] == L"--file" && i + 1 < args.size())
                options.fileToOpen = args[++i];
            else
                return Usage();
        }
        return Report(driver.Click(*page, id, options));
    }
    if (command == L"select" && args.size() == 4)
        return driver.Select(*page, id, args[3], error) ? 0 : Fail(error);
    if (command == L"text" && args.size() == 3) {
        const std::optional<std::wstring> text = driver.Text(*page, id);
        if (!text)
            return Fail("control " + std::to_string(id) + " cannot be read");
        Print(ToUtf8(*text));
        return 0;
    }
    if (command == L"checked" && args.size() == 3) {
        const std::optional<bool> checked = driver.Checked(*page, id);
        if (!checked)
            return Fail("control " + std::to_string(id) + " cannot be read");
        Print(*checked ? "1" : "0");
        return 0;
    }
    if (command == L"shown" && args.size() == 3) {
        Print(driver.Visible(*page, id) && driver.Enabled(*page, id) ? "1" : "0");
        return 0;
    }
    if (command == L"wait-text" && args.size() == 4) {
        const std::wstring want = args[3];
        const std::optional<std::wstring> last = driver.WaitForText(
            *page, id, [&](const std::wstring& text) { return text == want; }, bound);
        if (last && *last == want)
            return 0;
        return Fail("control " + std::to_string(id) + " shows \"" + ToUtf8(last.value_or(L"")) + "\", not \"" +
            ToUtf8(want) + "\"");
    }
    return Usage();
}

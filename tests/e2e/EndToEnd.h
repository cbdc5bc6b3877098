// The frame of every end-to-end test: the virtual terminal back at power-on, then the real
// program started on the run command's settings (with a test's own changes) and driven from outside.
#pragma once

#include "ProgramUnderTest.h"
#include "Utf8.h"
#include "VirtualTerminal.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

// Resource IDs of the pages, as the user's buttons and fields.
#include "res/resource.h"

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string problem = VirtualTerminal::SetupError();
        ASSERT_TRUE(problem.empty()) << problem;
        ASSERT_TRUE(terminal.Reset()) << terminal.State().dump();
    }

    void TearDown() override { program.Stop(); }

    void Start(const std::vector<SettingChange>& changes = {})
    {
        std::string error;
        ASSERT_TRUE(WriteTerminalSettings(changes, error)) << error;
        ASSERT_TRUE(program.Start(error)) << error;
    }

    ProgramDriver& Drive() { return program.Driver(); }

    // Presses a button and expects its handler to finish; returns the message boxes' texts.
    std::vector<std::wstring> Press(Page page, int id, const ClickOptions& options = {})
    {
        const ClickOutcome outcome = Drive().Click(page, id, options);
        EXPECT_TRUE(outcome.done) << outcome.error;
        std::vector<std::wstring> texts;
        for (const ModalWindow& box : outcome.boxes)
            texts.push_back(box.text);
        return texts;
    }

    // Presses a print button and returns the receipt it made.
    nlohmann::json PrintWith(Page page, int id, const ClickOptions& options = {})
    {
        const int before = terminal.LastJob();
        const std::vector<std::wstring> boxes = Press(page, id, options);
        EXPECT_TRUE(boxes.empty()) << ToUtf8(boxes.front());
        const std::optional<nlohmann::json> receipt = terminal.WaitForReceipt(before);
        EXPECT_TRUE(receipt.has_value()) << "no receipt after pressing " << id;
        return receipt.value_or(nlohmann::json::object());
    }

    std::wstring Text(Page page, int id) { return Drive().Text(page, id).value_or(L"(unreadable)"); }

    // Waits until the field shows the text (readings arrive on their own time); the bound only
    // ends a test that hangs.
    std::wstring WaitForText(Page page, int id, const std::wstring& want, unsigned boundMs = 30000)
    {
        return Drive()
            .WaitForText(
                page, id, [&](const std::wstring& text) { return text == want; }, boundMs)
            .value_or(L"(unreadable)");
    }

    VirtualTerminal terminal;
    ProgramUnderTest program;
};

// gtest shows wide strings as escapes; these read as the page does.
inline std::string U8(const std::wstring& text)
{
    return ToUtf8(text);
}

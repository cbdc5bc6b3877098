// A setup page created from its template inside a plain window, filled from a settings file of
// the test's own, and driven with the messages a user's clicks and choices produce.
#pragma once

#include "fakes/FakePosAd.h"
#include "pages/setup/PageSetup.h"
#include "settings/Settings.h"
#include "support/SeamRecorder.h"
#include "support/SettingsText.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class SetupPage : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Loads g_settings from its file, as the main window does, and creates the page afresh.
    void Open();
    void Store(const std::string& iniText) { WriteWholeFile(g_settings.iniPath, iniText); }

    // What a control shows: a list's selected entry ("" for none), a field's text, or "0"/"1"
    // for a check box or radio button.
    std::string Value(int id) const;
    // Value of every control of the form, "id=value", in template order.
    std::vector<std::string> Form() const;
    bool Enabled(int id) const { return ::IsWindowEnabled(page->GetDlgItem(id)) != FALSE; }
    std::vector<std::string> Entries(int id) const;

    // Selects an entry ("" clears the selection) without telling the page, like a list it
    // does not watch.
    void Select(int id, const std::string& entry) const;
    void ChooseModel(const std::string& model) const;
    void SetText(int id, const std::string& text) const { page->SetDlgItemText(id, text); }
    void SetCheck(int id, bool checked) const;
    // A mouse click: auto buttons change their own state before the page hears of it.
    void Click(int id) const { ::SendMessageW(page->GetDlgItem(id), BM_CLICK, 0, 0); }
    void Save() const { Click(IDC_SETUP_SAVE); }

    // The raw text stored under section/key, "<none>" when the key is missing.
    std::string Stored(const std::string& section, const std::string& key) const;

    SeamRecorder seams;
    std::string folder;
    HWND parent = nullptr;
    std::unique_ptr<CPageSetup> page;
};

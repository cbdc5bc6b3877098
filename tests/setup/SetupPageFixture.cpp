#include "SetupPageFixture.h"

#include "framework/Controls.h"

void SetupPage::SetUp()
{
    fake_pos_ad::Reset();
    folder = FreshTestFolder(std::string("setup_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    g_settings = Settings {};
    g_settings.iniPath = folder + "scales.ini";
    parent = ::CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr,
        ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent, nullptr) << "error " << ::GetLastError();
}

void SetupPage::TearDown()
{
    page.reset();
    ::DestroyWindow(parent);
}

void SetupPage::Open()
{
    page.reset();
    loadSettings(g_settings);
    page = std::make_unique<CPageSetup>();
    ASSERT_TRUE(page->Create(parent));
}

std::string SetupPage::Value(int id) const
{
    const HWND control = page->GetDlgItem(id);
    wchar_t className[32] = {};
    ::GetClassNameW(control, className, 32);
    if (std::wstring(className) == L"Button")
        return std::to_string(::SendMessageW(control, BM_GETCHECK, 0, 0));
    const bool dropDownList = (::GetWindowLongW(control, GWL_STYLE) & 3) == CBS_DROPDOWNLIST;
    if (std::wstring(className) == L"ComboBox" && dropDownList) {
        CComboBox combo;
        combo.Attach(control);
        const int index = combo.GetCurSel();
        return index < 0 ? std::string() : combo.GetLBText(index);
    }
    return CWnd(control).GetWindowText();
}

std::vector<std::string> SetupPage::Form() const
{
    std::vector<std::string> values;
    for (int id : {IDC_SETUP_MODEL, IDC_SETUP_SOFTWARE, IDC_SETUP_SCALE_PORT, IDC_SETUP_SCALE_BAUD, IDC_SETUP_ALARM,
             IDC_SETUP_PRINTER_PORT, IDC_SETUP_PRINTER_BAUD, IDC_SETUP_LINESPACE, IDC_SETUP_DENSITY,
             IDC_SETUP_DRAWER_BOARD, IDC_SETUP_DRAWER_PRINTER, IDC_SETUP_BOARD, IDC_SETUP_RUNLOG})
        values.push_back(std::to_string(id) + "=" + Value(id));
    return values;
}

std::vector<std::string> SetupPage::Entries(int id) const
{
    CComboBox combo;
    combo.Attach(page->GetDlgItem(id));
    std::vector<std::string> entries;
    for (int i = 0; i < combo.GetCount(); ++i)
        entries.push_back(combo.GetLBText(i));
    return entries;
}

void SetupPage::Select(int id, const std::string& entry) const
{
    CComboBox combo;
    combo.Attach(page->GetDlgItem(id));
    const int index = entry.empty() ? -1 : combo.FindExact(entry);
    ASSERT_TRUE(entry.empty() || index >= 0) << entry << " is not offered by " << id;
    combo.SetCurSel(index);
}

void SetupPage::ChooseModel(const std::string& model) const
{
    Select(IDC_SETUP_MODEL, model);
    page->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SETUP_MODEL, CBN_SELCHANGE),
        reinterpret_cast<LPARAM>(page->GetDlgItem(IDC_SETUP_MODEL)));
}

void SetupPage::SetCheck(int id, bool checked) const
{
    ::SendMessageW(page->GetDlgItem(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

std::string SetupPage::Stored(const std::string& section, const std::string& key) const
{
    return readProfileString(section, key, "<none>", g_settings.iniPath);
}

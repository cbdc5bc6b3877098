// What the setup page's save button writes, what it tells the user, and what it does when the
// settings file cannot be written.
#include "SetupPageFixture.h"

#include "app/ZantorPosTestDlg.h"

#include <optional>

namespace {

const char kSaved[] = "保存配置信息成功!";
const char kNotSaved[] = "保存配置信息失败!";

TEST_F(SetupPage, ChoosingRX520ThenSavingStoresItsPresetAndConfirms)
{
    Open();
    ChooseModel("RX520");
    Save();
    EXPECT_EQ(Stored("PRINTER", "PORT"), "LPT1");
    EXPECT_EQ(Stored("PRINTER", "RATE"), "0");
    EXPECT_EQ(Stored("CashDrawer", "ControlType"), "1");
    EXPECT_EQ(Stored("POS", "ALARM"), "1");
    EXPECT_EQ(Stored("SCALE", "PORT"), "COM3");
    EXPECT_EQ(Stored("POS", "TYPE"), "1");

    ASSERT_EQ(seams.boxes.size(), 1u);
    EXPECT_EQ(seams.boxes[0].text, kSaved);
    EXPECT_EQ(seams.boxes[0].caption, std::optional<std::string>("提示"));
    EXPECT_EQ(seams.boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(seams.boxes[0].owner, page->m_hWnd);
}

TEST_F(SetupPage, AModelListWithNothingSelectedKeepsTheStoredModel)
{
    Store("[POS]\r\nTYPE=2\r\n");
    Open();
    Select(IDC_SETUP_MODEL, "");
    Save();
    EXPECT_EQ(Stored("POS", "TYPE"), "2");
}

TEST_F(SetupPage, OtherSoftwareTypeIsStoredAs99AndShownAfterARestart)
{
    Open();
    Select(IDC_SETUP_SOFTWARE, "其他");
    Save();
    EXPECT_EQ(Stored("SOFT", "type"), "99");
    g_settings = Settings {};
    g_settings.iniPath = folder + "scales.ini";
    Open();
    EXPECT_EQ(Value(IDC_SETUP_SOFTWARE), "其他");
}

TEST_F(SetupPage, LineSpacingIsStoredAsTheNumberTyped)
{
    Open();
    for (const auto& [typed, stored] : {std::pair {"", "0"}, std::pair {"24", "24"}, std::pair {"007", "7"},
             std::pair {"99999999999", "2147483647"}}) {
        SetText(IDC_SETUP_LINESPACE, typed);
        Save();
        EXPECT_EQ(Stored("PRINTER", "LINESPACE"), stored) << "typed \"" << typed << "\"";
    }
}

// Every value the form offers, one at a time from the defaults: the form saved, loaded again
// into a new page, shows the same and saves the same file.
TEST_F(SetupPage, SaveAndLoadKeepEveryValueTheFormOffers)
{
    struct Edit {
        int id;
        std::string value;
    };
    std::vector<std::vector<Edit>> cases;
    for (const std::string model : {"RX720", "RX520", "Veyla"})
        cases.push_back({{IDC_SETUP_MODEL, model}});
    for (const std::string software : {"Quillo软件", "Morvane软件", "其他"})
        cases.push_back({{IDC_SETUP_SOFTWARE, software}});
    for (int i = 1; i <= 12; ++i)
        cases.push_back({{IDC_SETUP_SCALE_PORT, "COM" + std::to_string(i)}});
    for (const std::string baud : {"9600", "19200", "38400", "115200"}) {
        cases.push_back({{IDC_SETUP_SCALE_BAUD, baud}});
        cases.push_back({{IDC_SETUP_PRINTER_BAUD, baud}});
    }
    cases.push_back({{IDC_SETUP_PRINTER_BAUD, ""}});
    for (const std::string port : {"USB", "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", ""})
        cases.push_back({{IDC_SETUP_PRINTER_PORT, port}});
    cases.push_back({{IDC_SETUP_PRINTER_PORT, "LPT1"}, {IDC_SETUP_PRINTER_BAUD, ""}});
    for (const std::string density : {"单8点", "双8点", "单24点", "双24点", ""})
        cases.push_back({{IDC_SETUP_DENSITY, density}});
    for (const std::string board : {"J1900", "J1900D", "I3/I5", ""})
        cases.push_back({{IDC_SETUP_BOARD, board}});
    for (const std::string spacing : {"0", "3", "255"})
        cases.push_back({{IDC_SETUP_LINESPACE, spacing}});
    for (int id : {IDC_SETUP_ALARM, IDC_SETUP_RUNLOG, IDC_SETUP_DRAWER_BOARD, IDC_SETUP_DRAWER_PRINTER})
        cases.push_back({{id, "click"}});

    for (const std::vector<Edit>& edits : cases) {
        FreshTestFolder(std::string("setup_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        Open();
        std::string label;
        for (const Edit& edit : edits) {
            label += std::to_string(edit.id) + "=" + edit.value + " ";
            if (edit.id == IDC_SETUP_MODEL)
                ChooseModel(edit.value);
            else if (edit.value == "click")
                Click(edit.id);
            else if (edit.id == IDC_SETUP_SCALE_BAUD || edit.id == IDC_SETUP_LINESPACE)
                SetText(edit.id, edit.value);
            else
                Select(edit.id, edit.value);
        }
        const std::vector<std::string> form = Form();
        Save();
        const std::string saved = Describe(g_settings);
        const std::string file = ReadWholeFile(g_settings.iniPath);

        Open();
        EXPECT_EQ(Describe(g_settings), saved) << label;
        EXPECT_EQ(Form(), form) << label;
        Save();
        EXPECT_EQ(ReadWholeFile(g_settings.iniPath), file) << label;
    }
}

TEST_F(SetupPage, EachSaveClosesThePrinterOnceAfterTheFileIsWrittenAndBeforeTheMessage)
{
    std::vector<std::string> typeAtClose;
    std::vector<size_t> boxesAtClose;
    fake_pos_ad::OnCall("ClosePrinterEx", [&] {
        typeAtClose.push_back(Stored("POS", "TYPE"));
        boxesAtClose.push_back(seams.boxes.size());
    });
    Open();
    ChooseModel("Veyla");
    Save();
    ChooseModel("RX720");
    Save();
    EXPECT_EQ(fake_pos_ad::Names(), (std::vector<std::string> {"ClosePrinterEx", "ClosePrinterEx"}));
    EXPECT_EQ(typeAtClose, (std::vector<std::string> {"2", "0"}));
    EXPECT_EQ(boxesAtClose, (std::vector<size_t> {0, 1}));
}

// A save that cannot write the file says so, names the file, closes the printer all the same
// (the library reads the unchanged file again) and keeps the form for another try.
class SetupPageFailedSave : public SetupPage {
protected:
    void ExpectFailureReported(const std::string& path)
    {
        ASSERT_EQ(seams.boxes.size(), 1u);
        EXPECT_EQ(seams.boxes[0].text, std::string(kNotSaved) + "\n无法写入文件：" + path);
        EXPECT_EQ(seams.boxes[0].caption, std::optional<std::string>("提示"));
        EXPECT_EQ(seams.boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
        EXPECT_EQ(seams.boxes[0].owner, page->m_hWnd);
        EXPECT_EQ(fake_pos_ad::Names(), std::vector<std::string> {"ClosePrinterEx"});
    }
};

TEST_F(SetupPageFailedSave, AReadOnlyFileIsReportedKeptAndTheFormCanBeSavedLater)
{
    const std::string original = "[POS]\r\nTYPE=2\r\n";
    Store(original);
    ASSERT_TRUE(::SetFileAttributesA(g_settings.iniPath.c_str(), FILE_ATTRIBUTE_READONLY));
    Open();
    ChooseModel("RX720");
    Select(IDC_SETUP_DENSITY, "单8点");
    const std::vector<std::string> entered = Form();
    Save();
    ExpectFailureReported(g_settings.iniPath);
    EXPECT_EQ(Form(), entered);
    ::SetFileAttributesA(g_settings.iniPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadWholeFile(g_settings.iniPath), original);

    Save();
    EXPECT_EQ(seams.boxes.back().text, kSaved);
    EXPECT_EQ(Stored("POS", "TYPE"), "0");
    EXPECT_EQ(Stored("Print", "Density"), "0");
}

TEST_F(SetupPageFailedSave, AFolderThatCannotBeCreatedIsReported)
{
    WriteWholeFile(folder + "Morvane", "a file where the folder should be");
    g_settings.iniPath = folder + "Morvane\\scales.ini";
    Open();
    Save();
    ExpectFailureReported(folder + "Morvane\\scales.ini");
    EXPECT_EQ(ReadWholeFile(folder + "Morvane"), "a file where the folder should be");
}

TEST_F(SetupPage, AMissingFolderIsCreatedBySaving)
{
    g_settings.iniPath = folder + "Morvane\\scales.ini";
    Open();
    Save();
    EXPECT_EQ(Stored("SCALE", "PORT"), "COM4");
    EXPECT_EQ(seams.Texts(), std::vector<std::string> {kSaved});
}

// The whole program's path on the terminal's own file: the main window loads it, the setup page
// shows it and saves the twelve keys back. The prefix's file is restored afterwards.
TEST_F(SetupPage, TheMainWindowsSetupPageEditsTheTerminalsSettingsFile)
{
    const std::string path = Settings {}.iniPath;
    const bool existed = FileExists(path);
    const std::string kept = existed ? ReadWholeFile(path) : std::string();
    struct Restore {
        std::string path, kept;
        bool existed;
        ~Restore() { existed ? WriteWholeFile(path, kept) : void(::DeleteFileA(path.c_str())); }
    } restore {path, kept, existed};

    g_settings.iniPath = path;
    ::CreateDirectoryA("C:\\Morvane", nullptr);
    WriteWholeFile(path, "[POS]\r\nTYPE=2\r\nBOARD=I3/I5\r\n[SCALE]\r\nPORT=COM9\r\n");
    auto dlg = std::make_unique<CZantorPosTestDlg>();
    ASSERT_TRUE(dlg->Create(nullptr));
    dlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_BTN_SETUP, BN_CLICKED), 0);
    ASSERT_TRUE(dlg->m_pageSetup.IsWindowVisible());
    const CWnd& setup = dlg->m_pageSetup;
    EXPECT_EQ(setup.GetDlgItemText(IDC_SETUP_MODEL), "Veyla");
    EXPECT_EQ(setup.GetDlgItemText(IDC_SETUP_BOARD), "I3/I5");
    EXPECT_EQ(setup.GetDlgItemText(IDC_SETUP_SCALE_PORT), "COM9");

    ::SendMessageW(setup.GetDlgItem(IDC_SETUP_SAVE), BM_CLICK, 0, 0);
    dlg.reset();
    EXPECT_EQ(ReadWholeFile(path),
        "[POS]\r\nTYPE=2\r\nBOARD=I3/I5\r\nLOG=0\r\nALARM=0\r\n"
        "[SCALE]\r\nPORT=COM9\r\nRATE=115200\r\n"
        "[SOFT]\r\ntype=0\r\n"
        "[PRINTER]\r\nPORT=USB\r\nRATE=115200\r\nLINESPACE=10\r\n"
        "[Print]\r\nDensity=3\r\n"
        "[CashDrawer]\r\nControlType=0\r\n");
    EXPECT_EQ(seams.boxes.back().text, kSaved);
}

} // namespace

// How the setup page shows the stored configuration and follows the user's choices.
#include "SetupPageFixture.h"

namespace {

using Strings = std::vector<std::string>;

const int kModelLocked[] = {IDC_SETUP_PRINTER_PORT, IDC_SETUP_PRINTER_BAUD, IDC_SETUP_BOARD, IDC_SETUP_DRAWER_BOARD,
    IDC_SETUP_DRAWER_PRINTER, IDC_SETUP_ALARM};

TEST_F(SetupPage, WithoutAFileShowsTheDefaultsAndWritesNothing)
{
    Open();
    EXPECT_EQ(Form(),
        (Strings {"1024=RX720", "1025=Quillo软件", "1027=COM4", "1028=115200", "1029=0", "1030=USB", "1031=115200",
            "1035=10", "1032=双24点", "1036=1", "1037=0", "1038=J1900", "1039=0"}));
    EXPECT_FALSE(Enabled(IDC_SETUP_SCALE_PORT));
    EXPECT_FALSE(Enabled(IDC_SETUP_SCALE_BAUD));
    for (int id : kModelLocked)
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_FALSE(FileExists(g_settings.iniPath));
    EXPECT_TRUE(fake_pos_ad::Calls().empty());
}

TEST_F(SetupPage, ListsOfferTheirEntriesInOrder)
{
    Open();
    EXPECT_EQ(Entries(IDC_SETUP_MODEL), (Strings {"RX720", "RX520", "Veyla"}));
    EXPECT_EQ(Entries(IDC_SETUP_SOFTWARE), (Strings {"Quillo软件", "Morvane软件", "其他"}));
    EXPECT_EQ(Entries(IDC_SETUP_SCALE_PORT),
        (Strings {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8", "COM9", "COM10", "COM11", "COM12"}));
    EXPECT_EQ(
        Entries(IDC_SETUP_PRINTER_PORT), (Strings {"USB", "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "LPT1"}));
    EXPECT_EQ(Entries(IDC_SETUP_PRINTER_BAUD), (Strings {"9600", "19200", "38400", "115200"}));
    EXPECT_EQ(Entries(IDC_SETUP_DENSITY), (Strings {"单8点", "双8点", "单24点", "双24点"}));
    EXPECT_EQ(Entries(IDC_SETUP_BOARD), (Strings {"J1900", "J1900D", "I3/I5"}));
    EXPECT_TRUE(Entries(IDC_SETUP_SCALE_BAUD).empty());
}

TEST_F(SetupPage, StoredRX520LocksItsControlsButShowsTheStoredValues)
{
    for (const char* alarm : {"0", "1"}) {
        Store(std::string("[POS]\r\nTYPE=1\r\nALARM=") + alarm + "\r\n[PRINTER]\r\nPORT=COM1\r\nRATE=115200\r\n");
        Open();
        for (int id : kModelLocked)
            EXPECT_FALSE(Enabled(id)) << id;
        EXPECT_EQ(Value(IDC_SETUP_MODEL), "RX520");
        EXPECT_EQ(Value(IDC_SETUP_PRINTER_PORT), "COM1");
        EXPECT_EQ(Value(IDC_SETUP_PRINTER_BAUD), "115200");
        EXPECT_EQ(Value(IDC_SETUP_ALARM), alarm) << "the stored alarm state wins over the model's";
    }
}

TEST_F(SetupPage, ChoosingAModelAppliesItsPresetWithoutStoringIt)
{
    struct Preset {
        const char* model;
        Strings shown;
    };
    const Preset presets[] = {
        {"RX520",
            {"1024=RX520", "1025=Quillo软件", "1027=COM3", "1028=115200", "1029=1", "1030=LPT1", "1031=", "1035=10",
                "1032=双24点", "1036=0", "1037=1", "1038=J1900", "1039=0"}},
        {"Veyla",
            {"1024=Veyla", "1025=Quillo软件", "1027=COM3", "1028=115200", "1029=1", "1030=USB", "1031=", "1035=10",
                "1032=双24点", "1036=0", "1037=1", "1038=J1900", "1039=0"}},
    };
    for (const Preset& preset : presets) {
        Store("[PRINTER]\r\nPORT=COM5\r\nRATE=9600\r\n[POS]\r\nBOARD=I3/I5\r\n");
        Open();
        ChooseModel(preset.model);
        EXPECT_EQ(Form(), preset.shown);
        for (int id : kModelLocked)
            EXPECT_FALSE(Enabled(id)) << preset.model << " " << id;
        EXPECT_EQ(Stored("POS", "TYPE"), "<none>");
    }
}

TEST_F(SetupPage, RX720AfterVeylaUnlocksAgainAndKeepsTheAlarm)
{
    Open();
    ChooseModel("Veyla");
    ChooseModel("RX720");
    for (int id : kModelLocked)
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_EQ(Value(IDC_SETUP_SCALE_PORT), "COM4");
    EXPECT_EQ(Value(IDC_SETUP_PRINTER_PORT), "COM1");
    EXPECT_EQ(Value(IDC_SETUP_PRINTER_BAUD), "115200");
    EXPECT_EQ(Value(IDC_SETUP_BOARD), "J1900");
    EXPECT_EQ(Value(IDC_SETUP_DRAWER_BOARD), "1");
    EXPECT_EQ(Value(IDC_SETUP_DRAWER_PRINTER), "0");
    EXPECT_EQ(Value(IDC_SETUP_ALARM), "1") << "Veyla checked it; RX720 keeps it";

    Click(IDC_SETUP_ALARM);
    ChooseModel("RX720");
    EXPECT_EQ(Value(IDC_SETUP_ALARM), "0");
    EXPECT_FALSE(Enabled(IDC_SETUP_SCALE_PORT));
    EXPECT_FALSE(Enabled(IDC_SETUP_SCALE_BAUD));
}

TEST_F(SetupPage, BoardListFollowsTheDrawerRadioButtons)
{
    Open();
    Click(IDC_SETUP_DRAWER_PRINTER);
    EXPECT_EQ(Value(IDC_SETUP_DRAWER_BOARD), "0");
    EXPECT_FALSE(Enabled(IDC_SETUP_BOARD));
    Click(IDC_SETUP_DRAWER_BOARD);
    EXPECT_EQ(Value(IDC_SETUP_DRAWER_PRINTER), "0");
    EXPECT_TRUE(Enabled(IDC_SETUP_BOARD));

    // A model preset sets the radio buttons without a click: the board list stays as the model
    // rules left it.
    Click(IDC_SETUP_DRAWER_PRINTER);
    ChooseModel("RX720");
    EXPECT_EQ(Value(IDC_SETUP_DRAWER_BOARD), "1");
    EXPECT_TRUE(Enabled(IDC_SETUP_BOARD));
}

TEST_F(SetupPage, StoredPrinterDrawerControlUnderRX720LeavesTheBoardListEnabledUntilAClick)
{
    Store("[POS]\r\nTYPE=0\r\n[CashDrawer]\r\nControlType=1\r\n");
    Open();
    EXPECT_EQ(Value(IDC_SETUP_DRAWER_BOARD), "0");
    EXPECT_EQ(Value(IDC_SETUP_DRAWER_PRINTER), "1");
    EXPECT_TRUE(Enabled(IDC_SETUP_BOARD));
    Click(IDC_SETUP_DRAWER_PRINTER);
    EXPECT_FALSE(Enabled(IDC_SETUP_BOARD));
}

TEST_F(SetupPage, ValuesTheFormCannotShowFallBackAndSaveAsTheFormShowsThem)
{
    struct Case {
        const char* stored;
        int id;
        const char* shown;
        const char* section;
        const char* key;
        const char* saved;
    };
    const Case cases[] = {
        {"[POS]\r\nTYPE=3\r\n", IDC_SETUP_MODEL, "RX720", "POS", "TYPE", "0"},
        {"[POS]\r\nTYPE=-1\r\n", IDC_SETUP_MODEL, "RX720", "POS", "TYPE", "0"},
        {"[SOFT]\r\ntype=99\r\n", IDC_SETUP_SOFTWARE, "其他", "SOFT", "type", "99"},
        {"[SOFT]\r\ntype=2\r\n", IDC_SETUP_SOFTWARE, "其他", "SOFT", "type", "99"},
        {"[SOFT]\r\ntype=-4\r\n", IDC_SETUP_SOFTWARE, "其他", "SOFT", "type", "99"},
        {"[SOFT]\r\ntype=1\r\n", IDC_SETUP_SOFTWARE, "Morvane软件", "SOFT", "type", "1"},
        {"[Print]\r\nDensity=4\r\n", IDC_SETUP_DENSITY, "", "Print", "Density", "-1"},
        {"[Print]\r\nDensity=-1\r\n", IDC_SETUP_DENSITY, "", "Print", "Density", "-1"},
        {"[PRINTER]\r\nPORT=usb\r\n", IDC_SETUP_PRINTER_PORT, "", "PRINTER", "PORT", ""},
        {"[PRINTER]\r\nPORT=COM7\r\n", IDC_SETUP_PRINTER_PORT, "", "PRINTER", "PORT", ""},
        {"[PRINTER]\r\nRATE=4800\r\n", IDC_SETUP_PRINTER_BAUD, "", "PRINTER", "RATE", "0"},
        {"[PRINTER]\r\nPORT=LPT1\r\nRATE=9600\r\n", IDC_SETUP_PRINTER_BAUD, "", "PRINTER", "RATE", "0"},
        {"[POS]\r\nBOARD=j1900\r\n", IDC_SETUP_BOARD, "", "POS", "BOARD", ""},
        {"[POS]\r\nBOARD=\r\n", IDC_SETUP_BOARD, "", "POS", "BOARD", ""},
        {"[SCALE]\r\nPORT=COM13\r\n", IDC_SETUP_SCALE_PORT, "COM13", "SCALE", "PORT", "COM13"},
        {"[SCALE]\r\nPORT=com1\r\n", IDC_SETUP_SCALE_PORT, "com1", "SCALE", "PORT", "com1"},
        {"[SCALE]\r\nRATE=-300\r\n", IDC_SETUP_SCALE_BAUD, "-300", "SCALE", "RATE", "-300"},
        {"[CashDrawer]\r\nControlType=-2\r\n", IDC_SETUP_DRAWER_PRINTER, "1", "CashDrawer", "ControlType", "1"},
    };
    for (const Case& c : cases) {
        FreshTestFolder(std::string("setup_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        Store(c.stored);
        Open();
        EXPECT_EQ(Value(c.id), c.shown) << c.stored;
        Save();
        EXPECT_EQ(Stored(c.section, c.key), c.saved) << c.stored;
    }
    EXPECT_EQ(seams.boxes.size(), std::size(cases));
}

TEST_F(SetupPage, AModelOutsideTheListFollowsTheRX720Rules)
{
    Store("[POS]\r\nTYPE=7\r\nALARM=0\r\n");
    Open();
    for (int id : kModelLocked)
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_EQ(Value(IDC_SETUP_ALARM), "0");
}

TEST_F(SetupPage, LogFileButtonOpensTheLogFolderInTheShell)
{
    Open();
    Click(IDC_SETUP_LOGFILE);
    ASSERT_EQ(seams.shellCalls.size(), 1u);
    EXPECT_EQ(seams.shellCalls[0].verb, "explore");
    EXPECT_EQ(seams.shellCalls[0].file, "C://morvane//log");
    EXPECT_EQ(seams.shellCalls[0].show, SW_SHOW);
    EXPECT_EQ(seams.shellCalls[0].owner, nullptr);
    EXPECT_TRUE(seams.boxes.empty());
}

} // namespace

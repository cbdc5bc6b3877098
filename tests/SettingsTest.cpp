#include "settings/Settings.h"

#include "support/SettingsText.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <random>

namespace {

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = FreshTestFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        settings.iniPath = folder + "scales.ini";
    }

    Settings settings;
    std::string folder;
};

Settings Loaded(const std::string& path)
{
    Settings s;
    s.iniPath = path;
    loadSettings(s);
    return s;
}

TEST_F(SettingsFile, DefaultsWithoutAFileAndNoFileCreated)
{
    loadSettings(settings);
    EXPECT_EQ(settings.softwareType, 0);
    EXPECT_EQ(settings.machineModel, 0);
    EXPECT_EQ(settings.runLog, 0);
    EXPECT_EQ(settings.printerPort, "USB");
    EXPECT_EQ(settings.printerBaud, 115200);
    EXPECT_EQ(settings.lineSpacing, 10);
    EXPECT_EQ(settings.imageDensity, 3);
    EXPECT_EQ(settings.drawerControl, 0);
    EXPECT_EQ(settings.boardType, "J1900");
    EXPECT_EQ(settings.scalePort, "COM4");
    EXPECT_EQ(settings.scaleBaud, 115200);
    EXPECT_EQ(settings.negativeWeightAlarm, 0);
    EXPECT_FALSE(FileExists(settings.iniPath));
}

TEST(SettingsRecord, StartsEmptyWithTheTerminalsPath)
{
    const Settings fresh;
    EXPECT_EQ(fresh.iniPath, "C:\\Morvane\\scales.ini");
    EXPECT_EQ(fresh.printerBaud, 0);
    EXPECT_EQ(fresh.printerPort, "");
}

TEST_F(SettingsFile, FirstSaveWritesEveryKeyInOrder)
{
    settings.softwareType = 99;
    settings.machineModel = 1;
    settings.runLog = 1;
    settings.printerPort = "LPT1";
    settings.printerBaud = 0;
    settings.lineSpacing = 24;
    settings.imageDensity = -1;
    settings.drawerControl = 1;
    settings.boardType = "I3/I5";
    settings.scalePort = "COM3";
    settings.scaleBaud = 9600;
    settings.negativeWeightAlarm = 1;
    ASSERT_TRUE(saveSettings(settings));

    EXPECT_EQ(ReadWholeFile(settings.iniPath),
        "[SOFT]\r\ntype=99\r\n"
        "[POS]\r\nTYPE=1\r\nLOG=1\r\nBOARD=I3/I5\r\nALARM=1\r\n"
        "[PRINTER]\r\nPORT=LPT1\r\nRATE=0\r\nLINESPACE=24\r\n"
        "[Print]\r\nDensity=-1\r\n"
        "[CashDrawer]\r\nControlType=1\r\n"
        "[SCALE]\r\nPORT=COM3\r\nRATE=9600\r\n");
}

TEST_F(SettingsFile, SaveThenLoadGivesTheSameValues)
{
    settings.softwareType = 99;
    settings.machineModel = 2;
    settings.runLog = 1;
    settings.printerPort = "COM6";
    settings.printerBaud = 38400;
    settings.lineSpacing = 0;
    settings.imageDensity = 2;
    settings.drawerControl = 1;
    settings.boardType = "J1900D";
    settings.scalePort = "COM12";
    settings.scaleBaud = 115200;
    settings.negativeWeightAlarm = 1;
    ASSERT_TRUE(saveSettings(settings));

    const Settings back = Loaded(settings.iniPath);
    EXPECT_EQ(back.softwareType, 99);
    EXPECT_EQ(back.machineModel, 2);
    EXPECT_EQ(back.runLog, 1);
    EXPECT_EQ(back.printerPort, "COM6");
    EXPECT_EQ(back.printerBaud, 38400);
    EXPECT_EQ(back.lineSpacing, 0);
    EXPECT_EQ(back.imageDensity, 2);
    EXPECT_EQ(back.drawerControl, 1);
    EXPECT_EQ(back.boardType, "J1900D");
    EXPECT_EQ(back.scalePort, "COM12");
    EXPECT_EQ(back.scaleBaud, 115200);
    EXPECT_EQ(back.negativeWeightAlarm, 1);
}

TEST_F(SettingsFile, NamesMatchWithoutRegardToCaseButSectionsStayApart)
{
    WriteWholeFile(settings.iniPath,
        "[pos]\r\ntype=2\r\n"
        "[soft]\r\nTYPE=1\r\n"
        "[printer]\r\nport=COM2\r\nDensity=0\r\n");
    loadSettings(settings);
    EXPECT_EQ(settings.machineModel, 2);
    EXPECT_EQ(settings.softwareType, 1);
    EXPECT_EQ(settings.printerPort, "COM2");
    EXPECT_EQ(settings.imageDensity, 3) << "Density belongs to [Print], not [PRINTER]";
}

TEST_F(SettingsFile, LongStringValuesAreCutTo99Bytes)
{
    const std::string longPort(150, 'P');
    WriteWholeFile(settings.iniPath, "[PRINTER]\r\nPORT=" + longPort + "\r\n");
    loadSettings(settings);
    EXPECT_EQ(settings.printerPort, longPort.substr(0, 99));
}

TEST_F(SettingsFile, MissingFoldersAreCreatedBeforeTheFirstSave)
{
    settings.iniPath = folder + "Morvane\\deeper\\scales.ini";
    loadSettings(settings);
    ASSERT_TRUE(saveSettings(settings));
    EXPECT_EQ(Loaded(settings.iniPath).printerPort, "USB");
}

TEST_F(SettingsFile, AFolderThatCannotBeCreatedFailsTheSave)
{
    WriteWholeFile(folder + "Morvane", "a file where the folder should be");
    settings.iniPath = folder + "Morvane\\scales.ini";
    loadSettings(settings);
    EXPECT_FALSE(saveSettings(settings));
    EXPECT_EQ(ReadWholeFile(folder + "Morvane"), "a file where the folder should be");
}

TEST_F(SettingsFile, AReadOnlyFileFailsTheSaveAndKeepsItsContent)
{
    const std::string original = "[POS]\r\nTYPE=2\r\n";
    WriteWholeFile(settings.iniPath, original);
    ASSERT_TRUE(::SetFileAttributesA(settings.iniPath.c_str(), FILE_ATTRIBUTE_READONLY));
    loadSettings(settings);
    settings.machineModel = 1;
    EXPECT_FALSE(saveSettings(settings));
    ::SetFileAttributesA(settings.iniPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadWholeFile(settings.iniPath), original);
    EXPECT_EQ(Loaded(settings.iniPath).machineModel, 2);
}

TEST_F(SettingsFile, RandomBytesLoadAsDefaultsAroundTheKeysTheyHoldAndAreNotRepaired)
{
    // Any byte but NUL, so every byte of the file is one the profile reader reads as text.
    std::mt19937 random(20261208);
    auto noise = [&random] {
        std::string bytes(32 * 1024, '\0');
        for (char& c : bytes)
            c = static_cast<char>(1 + random() % 255);
        return bytes;
    };
    const std::string file = noise() + "\r\n[POS]\r\nTYPE=2\r\nBOARD=I3/I5\r\n" + noise();
    WriteWholeFile(settings.iniPath, file);
    loadSettings(settings);

    Settings expected; // the defaults, but for the two keys the noise holds
    expected.machineModel = 2;
    expected.printerPort = "USB";
    expected.printerBaud = 115200;
    expected.lineSpacing = 10;
    expected.imageDensity = 3;
    expected.boardType = "I3/I5";
    expected.scalePort = "COM4";
    expected.scaleBaud = 115200;
    EXPECT_EQ(Describe(settings), Describe(expected));
    EXPECT_EQ(ReadWholeFile(settings.iniPath), file);
}

TEST_F(SettingsFile, NonNumericIntegersLoadAsWhatTheProfileReaderGives)
{
    WriteWholeFile(settings.iniPath, "[POS]\r\nTYPE=abc\r\nLOG=-7\r\n[PRINTER]\r\nRATE=12x\r\n");
    loadSettings(settings);
    EXPECT_EQ(settings.machineModel, 0);
    EXPECT_EQ(settings.runLog, -7);
    EXPECT_EQ(settings.printerBaud, 12);
}

// Run by readonly-folder.sh, which prepares a folder that cannot be written and names it in
// ZPT_READONLY_FOLDER. The folder holds scales.ini with "[SOFT] type=1".
TEST(SettingsReadOnlyFolder, SavesFailAndTheFileIsKept)
{
    const char* folder = std::getenv("ZPT_READONLY_FOLDER");
    if (!folder)
        GTEST_SKIP() << "needs a folder prepared by readonly-folder.sh";

    Settings existing;
    existing.iniPath = std::string(folder) + "\\scales.ini";
    loadSettings(existing);
    EXPECT_EQ(existing.softwareType, 1);
    existing.softwareType = 0;
    EXPECT_FALSE(saveSettings(existing));
    EXPECT_EQ(Loaded(existing.iniPath).softwareType, 1);

    Settings fresh;
    fresh.iniPath = std::string(folder) + "\\new.ini";
    loadSettings(fresh);
    EXPECT_FALSE(saveSettings(fresh));
    EXPECT_FALSE(FileExists(fresh.iniPath));
}

} // namespace

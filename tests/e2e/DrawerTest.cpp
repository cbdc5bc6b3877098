// The cash drawer through the printer page: the virtual drawer opens on the line the settings
// name, and the status indicator follows the drawer where the page can read it.
#include "EndToEnd.h"

namespace {

const wchar_t kBoardHint[] = L"当前为主板控制钱箱，请确保钱箱接在主板上！";
const wchar_t kPrinterHint[] = L"当前为打印机控制钱箱，请确保钱箱接在打印机上！";
const wchar_t kNoStatus[] = L"当前为打印机控制钱箱，不支持获取状态！";

bool DrawerOpenedByBoard(const nlohmann::json& s)
{
    return s["drawer"].value("open", false) && s["drawer"].value("opened_by", "") == "board";
}

bool DrawerOpenedByPrinter(const nlohmann::json& s)
{
    return s["drawer"].value("open", false) && s["drawer"].value("opened_by", "") == "printer";
}

class Drawer : public EndToEnd {
protected:
    bool Indicator() { return Drive().Checked(Page::Printer, IDC_PRN_DRAWER_OPENED).value_or(false); }
};

TEST_F(Drawer, OnTheMainBoardOpensAndTheIndicatorFollowsIt)
{
    ASSERT_NO_FATAL_FAILURE(Start()); // RX720, drawer on the main board
    EXPECT_FALSE(Indicator());

    EXPECT_EQ(Press(Page::Printer, IDC_PRN_OPEN_DRAWER), std::vector<std::wstring> {kBoardHint});
    EXPECT_TRUE(terminal.WaitForState(DrawerOpenedByBoard)) << terminal.State()["drawer"].dump();
    EXPECT_TRUE(Indicator());

    ASSERT_TRUE(terminal.Do("drawer close"));
    EXPECT_TRUE(Press(Page::Printer, IDC_PRN_DRAWER_STATUS).empty());
    EXPECT_FALSE(Indicator());

    ASSERT_TRUE(terminal.Do("drawer open")); // someone opens it by hand
    EXPECT_TRUE(Press(Page::Printer, IDC_PRN_DRAWER_STATUS).empty());
    EXPECT_TRUE(Indicator());
}

TEST_F(Drawer, OnThePrinterOpensButItsStateCannotBeAsked)
{
    ASSERT_NO_FATAL_FAILURE(Start({{"CashDrawer", "ControlType", "1"}}));

    EXPECT_EQ(Press(Page::Printer, IDC_PRN_OPEN_DRAWER), std::vector<std::wstring> {kPrinterHint});
    EXPECT_TRUE(terminal.WaitForState(DrawerOpenedByPrinter)) << terminal.State()["drawer"].dump();
    EXPECT_FALSE(Indicator());
    EXPECT_EQ(Press(Page::Printer, IDC_PRN_DRAWER_STATUS), std::vector<std::wstring> {kNoStatus});
    EXPECT_FALSE(Indicator());
}

TEST_F(Drawer, OtherModelsOpenWithoutAWord)
{
    // The RX520 as its preset saves it: printer on LPT1 driving the drawer; no status controls.
    ASSERT_NO_FATAL_FAILURE(
        Start({{"POS", "TYPE", "1"}, {"PRINTER", "PORT", "LPT1"}, {"CashDrawer", "ControlType", "1"}}));
    EXPECT_FALSE(Drive().Visible(Page::Printer, IDC_PRN_DRAWER_STATUS));
    EXPECT_FALSE(Drive().Visible(Page::Printer, IDC_PRN_DRAWER_OPENED));
    EXPECT_TRUE(Press(Page::Printer, IDC_PRN_OPEN_DRAWER).empty());
    EXPECT_TRUE(terminal.WaitForState(DrawerOpenedByPrinter)) << terminal.State()["drawer"].dump();
    program.Stop();

    // A Veyla with its drawer on the main board keeps the status controls and reads the state.
    ASSERT_TRUE(terminal.Do("drawer close"));
    ASSERT_NO_FATAL_FAILURE(Start({{"POS", "TYPE", "2"}, {"PRINTER", "PORT", "USB"}}));
    EXPECT_TRUE(Press(Page::Printer, IDC_PRN_OPEN_DRAWER).empty());
    EXPECT_TRUE(terminal.WaitForState(DrawerOpenedByBoard)) << terminal.State()["drawer"].dump();
    EXPECT_TRUE(Press(Page::Printer, IDC_PRN_DRAWER_STATUS).empty());
    EXPECT_TRUE(Indicator());
}

} // namespace

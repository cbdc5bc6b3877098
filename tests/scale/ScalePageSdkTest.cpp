// The scale page with machine model 0: the SDK (the recording fake beside this program) is
// loaded at start, the buttons call it, and readings arrive through onScaleResult.
#include "ScalePageFixture.h"

#include "fakes/FakeScaleSdk.h"
#include "pages/scale/ReadingMailbox.h"

namespace {

using Strings = std::vector<std::string>;

class ScalePageSdk : public ScalePageTest {
protected:
    void SetUp() override
    {
        ScalePageTest::SetUp();
        if (fake_scale_sdk::Module())
            fake_scale_sdk::Reset();
        UseSettings(0);
        OpenMainWindow();
    }
};

TEST_F(ScalePageSdk, StartsWithSdkCaptionsEmptyFieldsAndTheCallbackRegistered)
{
    EXPECT_EQ(Text(IDC_SCALE_OPEN), "打开端口");
    EXPECT_EQ(Text(IDC_SCALE_CLOSE), "关闭端口");
    EXPECT_EQ(Text(IDC_SCALE_LABEL_2), "皮重:");
    EXPECT_EQ(Text(IDC_SCALE_LABEL_3), "毛重:");
    EXPECT_EQ(Fields(), Strings(4, ""));
    EXPECT_TRUE(seams.boxes.empty());
    // Registered at every start, also when the SDK was loaded already.
    EXPECT_EQ(fake_scale_sdk::Calls(), Strings {"OPO_SetModuleCallBack"});
    EXPECT_EQ(fake_scale_sdk::RegisteredCallback(), &CPageScale::onScaleResult);
}

TEST_F(ScalePageSdk, OpenPassesTheStoredPortAtFixedSpeedAndReloadsTheSettingsEachTime)
{
    fake_scale_sdk::Reset();
    Click(IDC_SCALE_OPEN);
    UseSettings(0, "COM11"); // saved elsewhere meanwhile; the stored rate 9600 is not used
    Click(IDC_SCALE_OPEN);
    EXPECT_EQ(fake_scale_sdk::Calls(), (Strings {"OPO_Open(COM4:115200)", "OPO_Open(COM11:115200)"}));
    EXPECT_EQ(TakeBoxes(), (Strings {"打开端口成功", "打开端口成功"}));
}

TEST_F(ScalePageSdk, EachButtonReportsSuccessOnlyForResultOne)
{
    struct Case {
        int button;
        const char* entry;
        const char* success;
        const char* failure;
    };
    const Case cases[] = {
        {IDC_SCALE_OPEN, "OPO_Open", "打开端口成功", "打开端口失败!"},
        {IDC_SCALE_ZERO, "OPO_Zero", "清零成功!", "清零失败!"},
        {IDC_SCALE_TARE, "OPO_Tare", "去皮/清皮成功!", "去皮/清皮失败!"},
    };
    for (const Case& c : cases) {
        for (const int result : {1, 0, 2, -1}) {
            fake_scale_sdk::SetResult(c.entry, result);
            Click(c.button);
            // The application's OK box, which shows the exclamation mark.
            ASSERT_EQ(seams.boxes.size(), 1u) << c.entry << " -> " << result;
            EXPECT_EQ(seams.boxes[0].caption.value_or(""), "ZantorPosTest");
            EXPECT_EQ(seams.boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
            EXPECT_EQ(TakeBoxes(), Strings {result == 1 ? c.success : c.failure}) << c.entry << " -> " << result;
        }
    }
}

TEST_F(ScalePageSdk, CloseEmptiesTheFieldsOnlyWhenTheSdkClosed)
{
    Deliver("W,S,Z,kg,1.250,0.000,1.250");
    fake_scale_sdk::SetResult("OPO_Close", 0);
    Click(IDC_SCALE_CLOSE);
    EXPECT_TRUE(seams.boxes.empty());
    EXPECT_EQ(Fields(), (Strings {"稳定", "1.250", "0.000", "1.250"}));

    fake_scale_sdk::SetResult("OPO_Close", 1);
    Click(IDC_SCALE_CLOSE);
    EXPECT_EQ(TakeBoxes(), Strings {"关闭端口成功"});
    EXPECT_EQ(Fields(), Strings(4, ""));
}

TEST_F(ScalePageSdk, AReadingStillUnshownAtCloseDoesNotRefillTheFields)
{
    CPageScale::onScaleResult("W,S,Z,kg,1.250,0.000,1.250", 0);
    Click(IDC_SCALE_CLOSE);
    PumpMessages();
    EXPECT_EQ(Fields(), Strings(4, ""));
    EXPECT_EQ(TakeBoxes(), Strings {"关闭端口成功"});
}

TEST_F(ScalePageSdk, ReadingsShowStatusAndWeightsAsReceivedWithinRange)
{
    struct Case {
        const char* text;
        Strings fields;
    };
    const Case cases[] = {
        {"W,S,Z,kg,1.250,0.000,1.250", {"稳定", "1.250", "0.000", "1.250"}},
        {"W,U,N,kg,-0.0004,0.000,-0.0004", {"不稳定", "-0.0004", "0.000", "-0.0004"}}, // 0 g
        {"W,F,N,kg,15.000,0.100,15.100", {"重量溢出或没有开机归零", "15.000", "0.100", "15.100"}},
        {"W,S,N,kg,,0.000,0.000", {"稳定", "", "0.000", "0.000"}}, // empty net counts as 0 g
        {"W,S,N,kg,abc,x y,  7", {"稳定", "abc", "x y", "  7"}}, // so does text
        {"W,S,N,kg,  0.5kg,0,0.5", {"稳定", "  0.5kg", "0", "0.5"}}, // atof stops at "kg"
    };
    for (const Case& c : cases) {
        Deliver(c.text);
        EXPECT_EQ(Fields(), c.fields) << c.text;
    }
}

TEST_F(ScalePageSdk, NetWeightsOutsideZeroTo15KgShowRangeMarksInAllThreeWeightFields)
{
    struct Case {
        const char* text;
        const char* mark;
    };
    const Case cases[] = {
        {"W,U,N,kg,-0.002,0.000,-0.002", "┏━┓"}, {"W,S,N,kg,-1e9,0,0", "┏━┓"}, {"W,S,N,kg,15.001,0.000,15.001", "┗━┛"},
        {"W,S,N,kg,1e300,0,0", "┗━┛"}, // beyond int: still over the top
    };
    for (const Case& c : cases) {
        Deliver(c.text);
        EXPECT_EQ(Fields(), (Strings {c.text[2] == 'S' ? "稳定" : "不稳定", c.mark, c.mark, c.mark})) << c.text;
    }
}

TEST_F(ScalePageSdk, UnknownStatusKeepsTheShownStatusButTheWeightsAreWritten)
{
    Deliver("W,U,N,kg,1.000,0.000,1.000");
    for (const char* text : {"W,s,N,kg,2.000,0.000,2.000", "W,,N,kg,2.000,0.000,2.000", "W,SU,N,kg,2.000,0.000,2.000",
             "W,X,N,kg,2.000,0.000,2.000"}) {
        Deliver(text);
        EXPECT_EQ(Fields(), (Strings {"不稳定", "2.000", "0.000", "2.000"})) << text;
    }
}

TEST_F(ScalePageSdk, TextsWithoutExactlySevenFieldsChangeNothing)
{
    Deliver("W,S,Z,kg,1.250,0.000,1.250");
    const Strings before = Fields();
    for (const char* text :
        {"S,Z,kg,9.000,0.000,9.000", "W,U,Z,kg,9.000,0.000,9.000,1", "W,U,Z,kg,9.000,0.000,", "", "W;U;Z;kg;9;0;9"}) {
        Deliver(text);
        EXPECT_EQ(Fields(), before) << text;
    }
    Deliver(nullptr);
    EXPECT_EQ(Fields(), before);
}

TEST_F(ScalePageSdk, ReadingsQueuedUnshownAreShownInTurn)
{
    // Three readings reach the page before it gets its turn: the status is the last known one.
    CPageScale::onScaleResult("W,F,N,kg,1.000,0.000,1.000", 0);
    CPageScale::onScaleResult("W,?,N,kg,-1.000,0.000,-1.000", 0);
    CPageScale::onScaleResult("W,??,N,kg,3.000,1.000,4.000", 0);
    PumpMessages();
    EXPECT_EQ(Fields(), (Strings {"重量溢出或没有开机归零", "3.000", "1.000", "4.000"}));
}

TEST_F(ScalePageSdk, AReadingWhoseNotificationIsLostIsShownAllTheSameAndSoAreLaterOnes)
{
    // Taken off the queue and never dispatched, as a closing modal loop may do.
    CPageScale::onScaleResult("W,S,Z,kg,1.250,0.000,1.250", 0);
    MSG lost;
    const UINT notify = reading_mailbox::NotifyMessage();
    ASSERT_TRUE(::PeekMessageW(&lost, Page().m_hWnd, notify, notify, PM_REMOVE));
    EXPECT_TRUE(PumpUntil([&] { return Text(IDC_SCALE_NET) == "1.250"; }, kHungMs));

    CPageScale::onScaleResult("W,U,N,kg,2.500,0.000,2.500", 0);
    EXPECT_TRUE(PumpUntil([&] { return Text(IDC_SCALE_NET) == "2.500"; }, kHungMs));
    EXPECT_EQ(Fields(), (Strings {"不稳定", "2.500", "0.000", "2.500"}));
}

TEST_F(ScalePageSdk, ReadingsReachTheFieldsWhileAnotherPageIsShown)
{
    dlg->ShowPage(CZantorPosTestDlg::kPageSetup);
    Deliver("W,S,Z,kg,0.500,0.000,0.500");
    EXPECT_FALSE(Page().IsWindowVisible());
    EXPECT_EQ(Text(IDC_SCALE_NET), "0.500");
}

TEST_F(ScalePageSdk, ReadingsWithoutARecordedPageChangeNothing)
{
    theApp.m_pPageScale = nullptr;
    Deliver("W,S,Z,kg,1.250,0.000,1.250");
    theApp.m_pPageScale = &Page();
    EXPECT_EQ(Fields(), Strings(4, ""));
}

TEST_F(ScalePageSdk, AModeSavedLaterChangesTheButtonsWorkButNotTheCaptions)
{
    fake_scale_sdk::Reset();
    fake_pos_ad::Reset();
    UseSettings(1);
    Click(IDC_SCALE_ZERO);
    Click(IDC_SCALE_OPEN);
    EXPECT_EQ(fake_pos_ad::Names(), Strings {"send_zero"});
    EXPECT_TRUE(fake_scale_sdk::Calls().empty());
    EXPECT_TRUE(::KillTimer(Page().m_hWnd, CPageScale::kPollTimer)); // open started weighing
    EXPECT_EQ(Text(IDC_SCALE_OPEN), "打开端口");
    EXPECT_EQ(Text(IDC_SCALE_LABEL_3), "毛重:");
    EXPECT_EQ(TakeBoxes(), Strings {"清零成功!"});
}

} // namespace

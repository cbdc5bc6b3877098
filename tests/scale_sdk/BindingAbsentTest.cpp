// No MvScalesSDK.dll anywhere the program looks: the binding fails each time and leaves nothing
// loaded, and the page in SDK mode says so at start and at each request. This program's folder
// holds no SDK of any kind.
#include "fakes/FakeScaleSdk.h"
#include "scale/ScalePageFixture.h"

namespace {

using Strings = std::vector<std::string>;

TEST(NoScaleSdk, EveryLoadFailsAndLeavesAllSlotsNull)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        EXPECT_FALSE(loadScaleSdk()) << attempt;
        EXPECT_TRUE(AllScaleSdkSlotsNull()) << attempt;
    }
    EXPECT_EQ(::GetModuleHandleA("MvScalesSDK.dll"), nullptr);
}

class NoScaleSdkPage : public ScalePageTest { };

TEST_F(NoScaleSdkPage, SdkModeReportsTheFailureAtStartAndAtEachRequestButCloseIsSilent)
{
    UseSettings(0);
    OpenMainWindow();
    EXPECT_EQ(TakeBoxes(), Strings {"加载MvScalesSDK.dll失败!"});
    EXPECT_EQ(Text(IDC_SCALE_OPEN), "打开端口"); // the page comes up all the same
    EXPECT_EQ(Text(IDC_SCALE_LABEL_3), "毛重:");

    for (const int button : {IDC_SCALE_OPEN, IDC_SCALE_ZERO, IDC_SCALE_TARE}) {
        Click(button);
        EXPECT_EQ(TakeBoxes(), Strings {"加载MvScalesSDK.dll失败!"}) << button;
    }
    Click(IDC_SCALE_CLOSE);
    EXPECT_TRUE(seams.boxes.empty());
    EXPECT_TRUE(AllScaleSdkSlotsNull());
    EXPECT_TRUE(fake_pos_ad::CallsOf("send_zero").empty());
}

TEST_F(NoScaleSdkPage, CloseInDeviceModeWithTheSdkNeverLoadedOnlyStopsTheTimer)
{
    UseSettings(1);
    OpenMainWindow();
    Click(IDC_SCALE_OPEN);
    fake_pos_ad::SetRecord("3  1.250,  0.000");
    Tick();
    const Strings shown = Fields();
    ASSERT_EQ(shown[1], "  1.250");

    Click(IDC_SCALE_CLOSE);
    EXPECT_TRUE(seams.boxes.empty());
    EXPECT_EQ(Fields(), shown);
    EXPECT_FALSE(::KillTimer(Page().m_hWnd, CPageScale::kPollTimer)) << "the timer still ran";
    EXPECT_TRUE(AllScaleSdkSlotsNull());
}

// Run in a process of its own: it leaves the SDK loaded. The library appears in the search path
// after failed loads, first without its last export, then complete: each request tries afresh.
TEST(ScaleSdkAppearsLater, EachRequestTriesTheWholeLoadAgain)
{
    ASSERT_FALSE(loadScaleSdk());
    ASSERT_EQ(fake_scale_sdk::Loads(), 0);

    ASSERT_TRUE(::SetDllDirectoryA(ZPT_PARTIAL_SDK_DIR));
    EXPECT_FALSE(loadScaleSdk());
    EXPECT_FALSE(loadScaleSdk());
    EXPECT_EQ(fake_scale_sdk::Loads(), 2);
    EXPECT_TRUE(AllScaleSdkSlotsNull());

    ASSERT_TRUE(::SetDllDirectoryA(ZPT_COMPLETE_SDK_DIR));
    EXPECT_TRUE(loadScaleSdk());
    EXPECT_EQ(fake_scale_sdk::Loads(), 3);
    EXPECT_EQ(g_scaleSdk.module, ::GetModuleHandleA("MvScalesSDK.dll"));
}

} // namespace

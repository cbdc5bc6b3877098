// Beside this program stands an SDK that lacks its last export, OPO_PowOnZero: each load fails,
// releases the library and leaves every slot null; the next load starts again from nothing.
#include "fakes/FakeScaleSdk.h"
#include "scale/ScalePageFixture.h"

namespace {

using Strings = std::vector<std::string>;

TEST(IncompleteScaleSdk, EachLoadFailsAndReleasesTheLibrary)
{
    for (int attempt = 1; attempt <= 2; ++attempt) {
        EXPECT_FALSE(loadScaleSdk()) << attempt;
        EXPECT_TRUE(AllScaleSdkSlotsNull()) << attempt;
        EXPECT_EQ(::GetModuleHandleA("MvScalesSDK.dll"), nullptr) << "still loaded after attempt " << attempt;
        EXPECT_EQ(fake_scale_sdk::Loads(), attempt);
    }
}

class IncompleteScaleSdkPage : public ScalePageTest { };

TEST_F(IncompleteScaleSdkPage, SdkModeLoadsAfreshAtEachRequestAndReportsTheFailure)
{
    const int loadsBefore = fake_scale_sdk::Loads();
    UseSettings(0);
    OpenMainWindow();
    for (const int button : {IDC_SCALE_OPEN, IDC_SCALE_ZERO, IDC_SCALE_TARE})
        Click(button);
    Click(IDC_SCALE_CLOSE);
    EXPECT_EQ(TakeBoxes(), Strings(4, "加载MvScalesSDK.dll失败!"));
    EXPECT_EQ(fake_scale_sdk::Loads(), loadsBefore + 4);
    EXPECT_EQ(::GetModuleHandleA("MvScalesSDK.dll"), nullptr);
}

} // namespace

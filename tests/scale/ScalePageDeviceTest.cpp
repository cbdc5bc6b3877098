// The scale page with a machine model other than 0: weighing through the device library (the
// recording fake), read once a second while the timer runs.
#include "ScalePageFixture.h"

#include "fakes/FakeScaleSdk.h"

namespace {

using Strings = std::vector<std::string>;

class ScalePageDevice : public ScalePageTest {
protected:
    void SetUp() override
    {
        ScalePageTest::SetUp();
        UseSettings(2);
        OpenMainWindow();
        fake_pos_ad::Reset();
    }

    // Pumps messages until the timer has made a reading, at most timeoutMs.
    bool WaitForTimerRead(int timeoutMs)
    {
        return PumpUntil([] { return !fake_pos_ad::CallsOf("read_standard").empty(); }, timeoutMs);
    }
};

TEST_F(ScalePageDevice, StartsWithWeighingCaptionsAndLeavesTheSdkAlone)
{
    EXPECT_EQ(Text(IDC_SCALE_OPEN), "开始取重");
    EXPECT_EQ(Text(IDC_SCALE_CLOSE), "结束取重");
    EXPECT_EQ(Text(IDC_SCALE_LABEL_2), "");
    EXPECT_EQ(Text(IDC_SCALE_LABEL_3), "皮重:");
    EXPECT_EQ(Fields(), Strings(4, ""));
    EXPECT_TRUE(seams.boxes.empty());

    // Both ways a page can start, whatever ran before in this process: with the SDK not loaded
    // it must not be loaded, and with it loaded it must not be called.
    dlg.reset();
    ForgetScaleSdk();
    const int loads = fake_scale_sdk::Loads();
    OpenMainWindow();
    EXPECT_EQ(fake_scale_sdk::Module(), nullptr);
    EXPECT_EQ(fake_scale_sdk::Loads(), loads);
    EXPECT_TRUE(AllScaleSdkSlotsNull());

    dlg.reset();
    ASSERT_TRUE(loadScaleSdk());
    fake_scale_sdk::Reset();
    OpenMainWindow();
    EXPECT_TRUE(fake_scale_sdk::Calls().empty());
}

TEST_F(ScalePageDevice, EachReadShowsStatusDiagnosticNetAndTare)
{
    struct Case {
        std::string record;
        Strings fields;
    };
    const Case cases[] = {
        {"3  1.250,  0.000", {"稳定 零位", "  1.250", "03,  1.250,  0.000", "  0.000"}},
        {"4  1.250,  0.300", {"不稳定 非零位", "  1.250", "04,  1.250,  0.300", "  0.300"}},
        {"0  0.010,  0.000", {"不稳定 非零位", "  0.010", "00,  0.010,  0.000", "  0.000"}},
        {"1 12.345,  0.000", {"稳定 非零位", " 12.345", "01, 12.345,  0.000", "  0.000"}},
        {"2  0.000,  0.000", {"不稳定 零位", "  0.000", "02,  0.000,  0.000", "  0.000"}},
        // All 18 bytes used: the line carries bytes 1 to 17.
        {"7  1.000,  0.500AB", {"稳定 零位", "  1.000", "07,  1.000,  0.500AB", "  0.500"}},
        // A NUL inside the weight ends its text early.
        {std::string("3 1.2\0\0\0,0.1\0", 13), {"稳定 零位", " 1.2", "03, 1.2", "0.1"}},
    };
    Click(IDC_SCALE_OPEN);
    for (const Case& c : cases) {
        fake_pos_ad::SetRecord(c.record);
        Tick();
        EXPECT_EQ(Fields(), c.fields) << c.record;
    }
    Click(IDC_SCALE_CLOSE);
}

TEST_F(ScalePageDevice, StatusBytesBelow30OrFarAboveGiveTwoHexDigits)
{
    struct Case {
        char status;
        const char* bits;
        const char* state;
    };
    const Case cases[] = {
        {'\x00', "D0", "不稳定 非零位"}, // a zero byte in a record reported as read
        {'\x2F', "FF", "稳定 零位"},
        {'\xB0', "80", "不稳定 非零位"},
        {'\xFF', "CF", "稳定 零位"},
    };
    for (const Case& c : cases) {
        fake_pos_ad::SetRecord(std::string(1, c.status) + "  2.000,  0.000");
        Tick();
        EXPECT_EQ(Text(IDC_SCALE_FIELD_2), std::string(c.bits) + ",  2.000,  0.000") << int(c.status & 0xFF);
        EXPECT_EQ(Text(IDC_SCALE_STATUS), c.state);
    }
}

TEST_F(ScalePageDevice, AFailedReadLeavesTheFieldsAsTheyWere)
{
    fake_pos_ad::SetRecord("3  1.250,  0.000");
    Tick();
    const Strings before = Fields();
    for (const int result : {0, 1, 241, -16}) {
        fake_pos_ad::SetRecord("4  9.999,  9.999");
        fake_pos_ad::SetResult("read_standard", result);
        Tick();
        EXPECT_EQ(Fields(), before) << result;
    }
    EXPECT_TRUE(seams.boxes.empty());
}

TEST_F(ScalePageDevice, OtherTimersAreNotReads)
{
    Page().SendMessage(WM_TIMER, 1002, 0);
    EXPECT_TRUE(fake_pos_ad::Calls().empty());
}

TEST_F(ScalePageDevice, OpenTwiceRunsOneTimerThatReadsUntilClose)
{
    Click(IDC_SCALE_OPEN);
    Click(IDC_SCALE_OPEN);
    EXPECT_TRUE(seams.boxes.empty());
    ASSERT_TRUE(WaitForTimerRead(kHungMs));
    Click(IDC_SCALE_CLOSE);
    // Close stopped the page's one timer 1001: there is none left to stop.
    EXPECT_FALSE(::KillTimer(Page().m_hWnd, CPageScale::kPollTimer));
}

TEST_F(ScalePageDevice, ZeroSucceedsOnlyOn240)
{
    for (const int result : {240, 0, 1, 241, -16}) {
        fake_pos_ad::SetResult("send_zero", result);
        Click(IDC_SCALE_ZERO);
        EXPECT_EQ(TakeBoxes(), Strings {result == 240 ? "清零成功!" : "清零失败!"}) << result;
    }
    EXPECT_EQ(fake_pos_ad::CallsOf("send_zero").size(), 5u);
}

TEST_F(ScalePageDevice, TareReadsFirstThenClearsOrTakesByTheTareFlag)
{
    struct Case {
        const char* record;
        int readResult;
        int tareResult;
        Strings calls;
        const char* box;
    };
    const Case cases[] = {
        {"4  1.250,  0.300", 240, 240, {"read_standard", "clear_tare"}, "去皮/清皮成功!"},
        {"7  1.250,  0.300", 240, 0, {"read_standard", "clear_tare"}, "去皮/清皮失败!"},
        {"0  1.250,  0.000", 240, 240, {"read_standard", "send_tare"}, "去皮/清皮成功!"},
        {"3  1.250,  0.000", 240, 1, {"read_standard", "send_tare"}, "去皮/清皮失败!"},
        {"4  1.250,  0.300", 0, 240, {"read_standard"}, "去皮/清皮失败!"},
        {"4  1.250,  0.300", 241, 240, {"read_standard"}, "去皮/清皮失败!"},
    };
    for (const Case& c : cases) {
        fake_pos_ad::Reset();
        fake_pos_ad::SetRecord(c.record);
        fake_pos_ad::SetResult("read_standard", c.readResult);
        fake_pos_ad::SetResult("clear_tare", c.tareResult);
        fake_pos_ad::SetResult("send_tare", c.tareResult);
        Click(IDC_SCALE_TARE);
        EXPECT_EQ(fake_pos_ad::Names(), c.calls) << c.record << " read " << c.readResult;
        EXPECT_EQ(TakeBoxes(), Strings {c.box}) << c.record << " read " << c.readResult;
    }
}

TEST_F(ScalePageDevice, CloseCallsTheSdkOnceLoadedWhateverTheMode)
{
    ASSERT_TRUE(loadScaleSdk());
    fake_scale_sdk::Reset();
    fake_pos_ad::SetRecord("3  1.250,  0.000");
    Tick();
    Click(IDC_SCALE_CLOSE);
    EXPECT_EQ(fake_scale_sdk::Calls(), Strings {"OPO_Close"});
    EXPECT_EQ(TakeBoxes(), Strings {"关闭端口成功"});
    EXPECT_EQ(Fields(), Strings(4, ""));
}

} // namespace

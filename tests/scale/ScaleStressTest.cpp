// Readings from the SDK's own thread at 1 kHz while main windows come and go, and while the
// user-interface thread waits inside OPO_Open. The callback must never wait on that thread and
// never reach a page that is gone. Every wait here is bounded, so a deadlock fails the test.
#include "ScalePageFixture.h"

#include "fakes/FakeScaleSdk.h"
#include "pages/scale/ReadingMailbox.h"

#include <cstring>
#include <new>

namespace {

using Strings = std::vector<std::string>;

const Strings kMixedTexts = {
    "W,S,Z,kg,1.250,0.000,1.250",
    "W,U,N,kg,-0.002,0.000,-0.002",
    "W,F,N,kg,15.001,0.000,15.001",
    "W,S,Z,kg,1.250,0.000",
    "W,x,N,kg,abc,,0",
    "W,S,Z,kg,2.500,0.500,3.000",
};

// A main window in storage of the test's own, so that once it is destroyed the memory can be
// overwritten: anything that still reached the old page would then crash instead of going
// unnoticed.
class PoisonedWindow {
public:
    PoisonedWindow() : m_dlg(new (m_storage) CZantorPosTestDlg) { }
    ~PoisonedWindow()
    {
        m_dlg->~CZantorPosTestDlg();
        std::memset(m_storage, 0xDD, sizeof m_storage);
    }
    CZantorPosTestDlg* operator->() { return m_dlg; }

private:
    alignas(CZantorPosTestDlg) unsigned char m_storage[sizeof(CZantorPosTestDlg)];
    CZantorPosTestDlg* m_dlg;
};

class ScaleStress : public ScalePageTest {
protected:
    void SetUp() override
    {
        ScalePageTest::SetUp();
        UseSettings(0);
        ASSERT_TRUE(loadScaleSdk());
        fake_scale_sdk::Reset();
    }

    void TearDown() override
    {
        EXPECT_TRUE(fake_scale_sdk::WaitFiring(20000));
        ScalePageTest::TearDown();
    }
};

TEST_F(ScaleStress, ReadingsWhileMainWindowsAreCreatedShownHiddenAndDestroyed)
{
    g_scaleSdk.OPO_SetModuleCallBack(&CPageScale::onScaleResult);
    const int total = 3000;
    fake_scale_sdk::StartFiring(kMixedTexts, total, 1000);
    int windows = 0;
    while (fake_scale_sdk::Fired() < total && windows < 1000) {
        auto window = std::make_unique<PoisonedWindow>();
        ASSERT_TRUE((*window)->Create(nullptr));
        PumpMessages();
        (*window)->ShowPage(CZantorPosTestDlg::kPageScale);
        PumpMessages();
        (*window)->ShowPage(CZantorPosTestDlg::kPagePrinter);
        PumpMessages();
        window.reset();
        EXPECT_EQ(theApp.m_pPageScale.load(), nullptr);
        PumpMessages();
        ++windows;
    }
    ASSERT_TRUE(fake_scale_sdk::WaitFiring(20000)) << "the callback stalled";
    EXPECT_EQ(fake_scale_sdk::Fired(), total);
    EXPECT_GT(windows, 1);
    EXPECT_TRUE(seams.boxes.empty());

    // Nothing is left half delivered: a new window shows the next reading exactly.
    OpenMainWindow();
    fake_scale_sdk::StartFiring({"W,U,N,kg,4.000,1.000,5.000"}, 1, 0);
    ASSERT_TRUE(fake_scale_sdk::WaitFiring(20000));
    PumpMessages();
    EXPECT_EQ(Fields(), (Strings {"不稳定", "4.000", "1.000", "5.000"}));
}

TEST_F(ScaleStress, ReadingsWhileTheUserInterfaceWaitsInsideOpen)
{
    OpenMainWindow();
    const int total = 1001;
    fake_scale_sdk::BlockNextOpen(15000);
    fake_scale_sdk::StartFiring(kMixedTexts, total, 1000);
    // Open returns only once every reading went through the callback: a callback that waited on
    // this thread would hold the firing, and the open, until the fake gave up.
    Click(IDC_SCALE_OPEN);
    EXPECT_FALSE(fake_scale_sdk::OpenWaitTimedOut());
    EXPECT_EQ(fake_scale_sdk::Fired(), total);
    EXPECT_EQ(TakeBoxes(), Strings {"打开端口成功"});

    // The readings waited for this thread and show as if shown one by one: the weights of the
    // last one (kMixedTexts[4]), the status of the last known letter (kMixedTexts[2], as
    // kMixedTexts[3] has six fields).
    PumpMessages();
    EXPECT_EQ(Fields(), (Strings {"重量溢出或没有开机归零", "abc", "", "0"}));
}

TEST_F(ScaleStress, AfterEachCloseAndOpenUnderAStreamTheNewestReadingIsShown)
{
    OpenMainWindow();
    // Reading i carries i in its tare field.
    const int total = 5000;
    Strings texts;
    for (int i = 0; i < total; ++i)
        texts.push_back("W,S,Z,kg,1.000," + std::to_string(i) + ",1.000");
    auto shownIndex = [this] {
        const std::string tare = Text(IDC_SCALE_FIELD_2);
        return tare.empty() ? -1 : std::stoi(tare);
    };
    // Each message box takes the page's waiting notification off the queue undispatched, as the
    // closing "打开端口成功" box was seen to do.
    const MessageBoxHook record = CurrentSeams().messageBox;
    CurrentSeams().messageBox = [this, record](HWND owner, const std::string& text, const char* caption, UINT type) {
        const UINT notify = reading_mailbox::NotifyMessage();
        MSG lost;
        const ULONGLONG deadline = ::GetTickCount64() + 200;
        while (!::PeekMessageW(&lost, Page().m_hWnd, notify, notify, PM_REMOVE) && ::GetTickCount64() < deadline)
            ::Sleep(1);
        return record(owner, text, caption, type);
    };

    fake_scale_sdk::StartFiring(texts, total, 1000);
    ASSERT_TRUE(PumpUntil([&] { return shownIndex() >= 0; }, 5000));
    // Cycles only while the stream has a second to go, so readings follow each close.
    int cycles = 0;
    for (; cycles < 8 && fake_scale_sdk::Fired() < total - 1000; ++cycles) {
        Click(IDC_SCALE_CLOSE);
        Click(IDC_SCALE_OPEN);
        const int newest = fake_scale_sdk::Fired() - 1; // delivered before the open returned
        ASSERT_TRUE(PumpUntil([&] { return shownIndex() >= newest; }, 5000))
            << "cycle " << cycles << ": showing " << shownIndex() << ", newest " << newest;
    }
    EXPECT_GT(cycles, 0);
    ASSERT_TRUE(fake_scale_sdk::WaitFiring(20000));
    EXPECT_TRUE(PumpUntil([&] { return shownIndex() == total - 1; }, 5000)) << "showing " << shownIndex();
    EXPECT_EQ(TakeBoxes().size(), 2u * static_cast<size_t>(cycles));
}

TEST_F(ScaleStress, ReadingsAfterTheLastWindowIsGoneAreDropped)
{
    {
        PoisonedWindow window;
        ASSERT_TRUE(window->Create(nullptr));
    }
    fake_scale_sdk::StartFiring(kMixedTexts, 500, 1000);
    ASSERT_TRUE(fake_scale_sdk::WaitFiring(20000));
    PumpMessages();
    EXPECT_EQ(fake_scale_sdk::Fired(), 500);

    // None of them waits for the next window.
    OpenMainWindow();
    PumpMessages();
    EXPECT_EQ(Fields(), Strings(4, ""));
}

} // namespace

// Readings from the SDK's own thread at 1 kHz while main windows come and go, and while the
// user-interface thread waits inside OPO_Open. The callback must never wait on that thread and
// never reach a page that is gone. Every wait here is bounded, so a deadlock fails the test.
#include "ScalePageFixture.h"

#include "fakes/FakeScaleSdk.h"
#include "pages/scale/ReadingMailbox.h"

#include <climits>
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
        EXPECT_TRUE(fake_scale_sdk::WaitFiring(kHungMs));
        ScalePageTest::TearDown();
    }
};

TEST_F(ScaleStress, ReadingsWhileMainWindowsAreCreatedShownHiddenAndDestroyed)
{
    g_scaleSdk.OPO_SetModuleCallBack(&CPageScale::onScaleResult);
    // Each window meets a burst of its own, already under way as the window is made and going on
    // after it is gone. How the two interleave is the machine's business; what must hold is not.
    const int windows = 20, perWindow = 150;
    for (int i = 0; i < windows; ++i) {
        fake_scale_sdk::StartFiring(kMixedTexts, perWindow, 1000);
        ASSERT_TRUE(PumpUntil([] { return fake_scale_sdk::Fired() > 0; }, kHungMs));
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
        ASSERT_TRUE(fake_scale_sdk::WaitFiring(kHungMs)) << "the callback stalled at window " << i;
        EXPECT_EQ(fake_scale_sdk::Fired(), perWindow);
    }
    EXPECT_TRUE(seams.boxes.empty());

    // Nothing is left half delivered: a new window shows the next reading exactly.
    OpenMainWindow();
    fake_scale_sdk::StartFiring({"W,U,N,kg,4.000,1.000,5.000"}, 1, 0);
    ASSERT_TRUE(fake_scale_sdk::WaitFiring(kHungMs));
    PumpMessages();
    EXPECT_EQ(Fields(), (Strings {"不稳定", "4.000", "1.000", "5.000"}));
}

TEST_F(ScaleStress, ReadingsWhileTheUserInterfaceWaitsInsideOpen)
{
    OpenMainWindow();
    const int total = 1001;
    fake_scale_sdk::BlockNextOpen(kHungMs);
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
    auto shownIndex = [this] {
        const std::string tare = Text(IDC_SCALE_FIELD_2);
        return tare.empty() ? -1 : std::stoi(tare);
    };
    // The close's message box takes the page's notifications off the queue undispatched, as the
    // closing "打开端口成功" box was seen to do. The close has just emptied the mailbox; once a
    // reading has gone through the callback from start to end since then, its notification is
    // queued, and none follows until the page takes a reading: after the box, only the page's
    // own renotification can show the readings.
    bool loseNotification = false;
    const MessageBoxHook record = CurrentSeams().messageBox;
    CurrentSeams().messageBox = [&, record](HWND owner, const std::string& text, const char* caption, UINT type) {
        if (loseNotification) {
            loseNotification = false;
            const int from = fake_scale_sdk::Fired();
            const ULONGLONG deadline = ::GetTickCount64() + kHungMs;
            while (fake_scale_sdk::Fired() < from + 2 && ::GetTickCount64() < deadline)
                ::Sleep(1);
            const UINT notify = reading_mailbox::NotifyMessage();
            MSG lost;
            int taken = 0;
            while (::PeekMessageW(&lost, Page().m_hWnd, notify, notify, PM_REMOVE))
                ++taken;
            EXPECT_GT(taken, 0) << "no reading came while the box was up";
        }
        return record(owner, text, caption, type);
    };

    // Reading i carries i in its tare field.
    fake_scale_sdk::StartFiring({"W,S,Z,kg,1.000,{n},1.000"}, INT_MAX, 1000);
    ASSERT_TRUE(PumpUntil([&] { return shownIndex() >= 0; }, kHungMs));
    const int cycles = 8;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        const int before = shownIndex();
        loseNotification = true;
        Click(IDC_SCALE_CLOSE);
        Click(IDC_SCALE_OPEN);
        const int newest = fake_scale_sdk::Fired() - 1; // delivered before the open returned
        ASSERT_GT(newest, before);
        ASSERT_TRUE(PumpUntil([&] { return shownIndex() >= newest; }, kHungMs))
            << "cycle " << cycle << ": showing " << shownIndex() << ", newest " << newest;
    }
    fake_scale_sdk::StopFiring();
    ASSERT_TRUE(fake_scale_sdk::WaitFiring(kHungMs));
    const int last = fake_scale_sdk::Fired() - 1;
    EXPECT_TRUE(PumpUntil([&] { return shownIndex() == last; }, kHungMs)) << "showing " << shownIndex();
    EXPECT_EQ(TakeBoxes().size(), 2u * static_cast<size_t>(cycles));
}

TEST_F(ScaleStress, ReadingsAfterTheLastWindowIsGoneAreDropped)
{
    {
        PoisonedWindow window;
        ASSERT_TRUE(window->Create(nullptr));
    }
    fake_scale_sdk::StartFiring(kMixedTexts, 500, 1000);
    ASSERT_TRUE(fake_scale_sdk::WaitFiring(kHungMs));
    PumpMessages();
    EXPECT_EQ(fake_scale_sdk::Fired(), 500);

    // None of them waits for the next window.
    OpenMainWindow();
    PumpMessages();
    EXPECT_EQ(Fields(), Strings(4, ""));
}

} // namespace

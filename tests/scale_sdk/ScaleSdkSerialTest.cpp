// Our MvScalesSDK.dll (beside this program in bin/) against a scale played by the test on the
// far end of a real pseudo-terminal mapped to COM11: readings, commands and their answers, and
// the bad days — garbage, silence, no port. Times are printed, never judged: the ctest timeout
// catches a call that does not come back.
#include "drivers/scale_sdk/MvScalesSDK.h"
#include "support/SerialPeer.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

namespace {

using Strings = std::vector<std::string>;

const int kCom = 11;
const char kOpenText[] = "COM11:115200";

struct Api {
    HMODULE module = ::LoadLibraryA("MvScalesSDK.dll");
    template <typename Fn> Fn Get(const char* name) const
    {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    }
    int(__stdcall* SetModuleCallBack)(OPO_ResultCallback) = Get<decltype(SetModuleCallBack)>("OPO_SetModuleCallBack");
    int(__stdcall* SetAutoMode)(int) = Get<decltype(SetAutoMode)>("OPO_SetAutoMode");
    int(__stdcall* Open)(const char*) = Get<decltype(Open)>("OPO_Open");
    int(__stdcall* Close)() = Get<decltype(Close)>("OPO_Close");
    int(__stdcall* GetResult)(char*, int) = Get<decltype(GetResult)>("OPO_GetResult");
    int(__stdcall* ReadResultCache)(char*, int) = Get<decltype(ReadResultCache)>("OPO_ReadResultCache");
    int(__stdcall* SendFre)(int) = Get<decltype(SendFre)>("OPO_SendFre");
    int(__stdcall* Zero)() = Get<decltype(Zero)>("OPO_Zero");
    int(__stdcall* Tare)() = Get<decltype(Tare)>("OPO_Tare");
    int(__stdcall* PreTare)(int) = Get<decltype(PreTare)>("OPO_PreTare");
    int(__stdcall* SetUnit)(int) = Get<decltype(SetUnit)>("OPO_SetUnit");
    int(__stdcall* PowOnZero)(int) = Get<decltype(PowOnZero)>("OPO_PowOnZero");
};

const Api& Sdk()
{
    static const Api api;
    return api;
}

// What reached the callback, and what the callback should do meanwhile.
struct Received {
    std::mutex mutex;
    std::condition_variable changed;
    Strings texts;
    std::vector<int> lengths;
    std::function<void(const std::string&)> during;
} g_received;

void __stdcall Collect(const char* text, int length)
{
    const std::string reading = text ? text : "(null)";
    std::function<void(const std::string&)> during;
    {
        std::lock_guard<std::mutex> lock(g_received.mutex);
        g_received.texts.push_back(reading);
        g_received.lengths.push_back(length);
        during = g_received.during;
    }
    g_received.changed.notify_all();
    if (during)
        during(reading);
}

// The readings so far, once there are at least count of them or waitMs have passed.
Strings Readings(size_t count, int waitMs = kHungMs)
{
    std::unique_lock<std::mutex> lock(g_received.mutex);
    g_received.changed.wait_for(
        lock, std::chrono::milliseconds(waitMs), [&] { return g_received.texts.size() >= count; });
    return g_received.texts;
}

double MillisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

class OurScaleSdk : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(Sdk().module, nullptr);
        ASSERT_EQ(::GetProcAddress(Sdk().module, "FakeSdk_Reset"), nullptr) << "a fake SDK was loaded";
        {
            std::lock_guard<std::mutex> lock(g_received.mutex);
            g_received.texts.clear();
            g_received.lengths.clear();
            g_received.during = nullptr;
        }
        peer = std::make_unique<SerialPeer>(kCom);
        ASSERT_TRUE(peer->Connected()) << peer->Error();
        Sdk().SetModuleCallBack(&Collect);
    }

    void TearDown() override
    {
        Sdk().Close();
        peer.reset();
        std::lock_guard<std::mutex> lock(g_received.mutex);
        g_received.during = nullptr;
    }

    void OpenPort() { ASSERT_EQ(Sdk().Open(kOpenText), 1); }

    // Runs call on another thread, as it waits for the scale; answer plays the scale meanwhile.
    // The SDK waits for the answer only its own second, and the way to the test and back (Wine, the
    // pty, the serial bridge, TCP) can take longer on a busy machine: a call expected to succeed
    // that fails is made again, a few times, so the machine's speed decides nothing.
    int CallAnswered(const std::function<int()>& call, const std::function<void()>& answer, int expected)
    {
        int result = 0;
        for (int attempt = 0; attempt < 5; ++attempt) {
            std::future<int> pending = std::async(std::launch::async, call);
            answer();
            result = pending.get();
            if (result == expected || expected != 1)
                break;
            LetLateAnswersPass();
        }
        return result;
    }

    // An answer that came too late may still be on its way and would answer the next command.
    // Once a reading sent after it has come through, the SDK has read it, and dropped it as an
    // answer to nothing; the reading itself is not kept.
    void LetLateAnswersPass()
    {
        const std::string marker = "W,S,Z,kg,0.001,0.000,0.001";
        peer->Send(marker + "\r\n");
        std::unique_lock<std::mutex> lock(g_received.mutex);
        auto seen = [&] { return std::find(g_received.texts.begin(), g_received.texts.end(), marker); };
        g_received.changed.wait_for(
            lock, std::chrono::milliseconds(kHungMs), [&] { return seen() != g_received.texts.end(); });
        if (seen() != g_received.texts.end()) {
            g_received.lengths.erase(g_received.lengths.begin() + (seen() - g_received.texts.begin()));
            g_received.texts.erase(seen());
        }
    }

    // The line the next command sends, as the first line the scale receives from now on.
    std::string FirstLineOfTheNextCommand()
    {
        std::string first;
        CallAnswered([] { return Sdk().Zero(); },
            [&] {
                first = peer->ReadLine(kHungMs);
                peer->Send("A,Z\r\n");
            },
            1);
        return first;
    }

    // The scale's port, opened by the test once nothing holds it any more: a reader that still
    // ran would. Null when that does not happen.
    static HANDLE OpenFreePort()
    {
        for (int attempt = 0; attempt < kHungMs / 10; ++attempt, ::Sleep(10)) {
            const HANDLE port =
                ::CreateFileA("\\\\.\\COM11", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            if (port == INVALID_HANDLE_VALUE)
                continue;
            COMMTIMEOUTS timeouts {};
            timeouts.ReadIntervalTimeout = 20;
            timeouts.ReadTotalTimeoutConstant = 200;
            ::SetCommTimeouts(port, &timeouts);
            return port;
        }
        return nullptr;
    }

    std::unique_ptr<SerialPeer> peer;
};

TEST_F(OurScaleSdk, OpenTakesOnlyAStrictPortTextAndAnExistingPort)
{
    const char* const refused[] = {
        "", "COM", "COM11", "COM11:", "COM11:abc", "COM0:115200", "COM011:115200", "COM11:0115200", "COM11:115200x",
        " COM11:115200", "COM11 :115200", "COM11: 115200", "COM11:+115200", "COM11:-9600", "COM11:100", "COM11:1000000",
        "COM256:9600", "LPT1:9600", "COM11:115200:1", "COM11,115200", "CON11:115200",
        "COM200:115200", // no such port
    };
    EXPECT_EQ(Sdk().Open(nullptr), 0);
    for (const char* text : refused)
        EXPECT_EQ(Sdk().Open(text), 0) << text;
    EXPECT_EQ(Sdk().Open(("COM11:" + std::string(100000, '1')).c_str()), 0);
    EXPECT_EQ(Sdk().Close(), 0) << "nothing was open";

    EXPECT_EQ(Sdk().Open("com11:9600"), 1);
    EXPECT_EQ(Sdk().Close(), 1);
}

TEST_F(OurScaleSdk, EveryCallFailsAtOnceWhileClosed)
{
    char text[64] = "untouched";
    EXPECT_EQ(Sdk().Close(), 0);
    EXPECT_EQ(Sdk().Zero(), 0);
    EXPECT_EQ(Sdk().Tare(), 0);
    EXPECT_EQ(Sdk().PreTare(100), 0);
    EXPECT_EQ(Sdk().SetUnit(0), 0);
    EXPECT_EQ(Sdk().SendFre(10), 0);
    EXPECT_EQ(Sdk().SetAutoMode(1), 0);
    EXPECT_EQ(Sdk().PowOnZero(1), 0);
    EXPECT_EQ(Sdk().GetResult(text, sizeof text), 0);
    EXPECT_EQ(Sdk().ReadResultCache(text, sizeof text), 0);
    EXPECT_STREQ(text, "untouched");
    EXPECT_EQ(Sdk().SetModuleCallBack(nullptr), 1);
}

TEST_F(OurScaleSdk, ReadingsReachTheCallbackExactlyAsSentAndAreCached)
{
    OpenPort();
    char cache[64] = {};
    EXPECT_EQ(Sdk().ReadResultCache(cache, sizeof cache), 0) << "no reading yet";

    peer->Send("W,S,Z,kg,1.250,0.000,1.250\r\n");
    peer->Send("W,U,N,g,-2,0,-2\n");
    // A frame in two pieces: the first goes with a whole reading, and the rest follows once that
    // reading is through, so the SDK has read the piece before the rest comes.
    peer->Send("W,F,N,lb,123456.1234,-0.5,0\r\nW,S,N,kg,0.");
    ASSERT_EQ(Readings(3).size(), 3u);
    peer->Send("500,0.000,0.500\r\n");
    const Strings expected = {
        "W,S,Z,kg,1.250,0.000,1.250", "W,U,N,g,-2,0,-2", "W,F,N,lb,123456.1234,-0.5,0", "W,S,N,kg,0.500,0.000,0.500"};
    EXPECT_EQ(Readings(4), expected);
    {
        std::lock_guard<std::mutex> lock(g_received.mutex);
        for (size_t i = 0; i < g_received.texts.size(); ++i)
            EXPECT_EQ(g_received.lengths[i], static_cast<int>(g_received.texts[i].size()));
    }
    EXPECT_EQ(Sdk().ReadResultCache(cache, sizeof cache), 1);
    EXPECT_STREQ(cache, "W,S,N,kg,0.500,0.000,0.500");
    char small[26]; // one byte short of the text and its NUL
    EXPECT_EQ(Sdk().ReadResultCache(small, sizeof small), 0);
    EXPECT_EQ(Sdk().ReadResultCache(nullptr, 64), 0);
}

TEST_F(OurScaleSdk, MalformedAndOverlongLinesNeverReachTheCallback)
{
    OpenPort();
    const Strings bad = {
        "W,S,Z,kg,1.250,0.000",
        "W,S,Z,kg,1.250,0.000,1.250,1",
        "W,s,Z,kg,1,0,1",
        "W,S,z,kg,1,0,1",
        "W,S,Z,KG,1,0,1",
        "X,S,Z,kg,1,0,1",
        "W,S,Z,kg, 1.250,0,1",
        "W,S,Z,kg,1.2.3,0,1",
        "W,S,Z,kg,1.,0,1",
        "W,S,Z,kg,.5,0,1",
        "W,S,Z,kg,1234567,0,1",
        "W,S,Z,kg,1.12345,0,1",
        "W,S,Z,kg,--1,0,1",
        "W,S,Z,kg,,0,1",
        "W,S,Z,kg,1\r,0,1",
        "W,S,Z,kg,1,0,1\x80",
        std::string("W,S,Z,kg,1,0\0,1", 15),
        "W,S,Z,kg,1,0,1\t",
        "W,S,Z,kg,\xD6\xD8,0,1",
        std::string(200000, 'W') + ",S,Z,kg,1,0,1",
        "A,Z",
        "N,T,busy",
        "",
        "W,S,Z,kg,1,0,1,",
    };
    for (const std::string& line : bad)
        peer->Send(line + "\r\n");
    // Good readings on both sides: anything that came through from the bad lines shows between.
    peer->Send("W,S,Z,kg,9.999,0.000,9.999\r\n");
    EXPECT_EQ(Readings(1), Strings {"W,S,Z,kg,9.999,0.000,9.999"});
    peer->Send("W,S,Z,kg,1.111,0.000,1.111\r\n");
    EXPECT_EQ(Readings(2), (Strings {"W,S,Z,kg,9.999,0.000,9.999", "W,S,Z,kg,1.111,0.000,1.111"}));
}

TEST_F(OurScaleSdk, CommandsGoOutAsLinesAndSucceedOnlyWhenAccepted)
{
    OpenPort();
    struct Case {
        const char* name;
        std::function<int()> call;
        std::string line;
    };
    const Api& sdk = Sdk();
    const Case cases[] = {
        {"Zero", [&] { return sdk.Zero(); }, "Z\r\n"},
        {"Tare", [&] { return sdk.Tare(); }, "T\r\n"},
        {"PreTare", [&] { return sdk.PreTare(1250); }, "P,1250\r\n"},
        {"SetUnit", [&] { return sdk.SetUnit(1); }, "U,g\r\n"},
        {"SendFre", [&] { return sdk.SendFre(20); }, "F,20\r\n"},
        {"SetAutoMode", [&] { return sdk.SetAutoMode(0); }, "M,0\r\n"},
        {"PowOnZero", [&] { return sdk.PowOnZero(7); }, "O,1\r\n"},
    };
    for (const Case& c : cases) {
        const std::string letter = c.line.substr(0, 1);
        std::string sent;
        EXPECT_EQ(CallAnswered(
                      c.call,
                      [&] {
                          sent = peer->ReadLine(kHungMs);
                          peer->Send("A," + letter + "\r\n");
                      },
                      1),
            1)
            << c.name;
        EXPECT_EQ(sent, c.line) << c.name;
        EXPECT_EQ(CallAnswered(
                      c.call,
                      [&] {
                          peer->ReadLine(kHungMs);
                          peer->Send("N," + letter + ",not now\r\n");
                      },
                      0),
            0)
            << c.name;
    }
    // The answer may come amid readings; readings meanwhile still reach the callback.
    EXPECT_EQ(CallAnswered([&] { return sdk.Zero(); },
                  [&] {
                      peer->ReadLine(kHungMs);
                      peer->Send("W,S,Z,kg,0.000,0.000,0.000\r\nA,T\r\nA,Z\r\n");
                  },
                  1),
        1);
    EXPECT_EQ(Readings(1).at(0), "W,S,Z,kg,0.000,0.000,0.000");
}

TEST_F(OurScaleSdk, ArgumentsOutOfRangeAreRefusedWithoutAWord)
{
    OpenPort();
    EXPECT_EQ(Sdk().SendFre(0), 0);
    EXPECT_EQ(Sdk().SendFre(101), 0);
    EXPECT_EQ(Sdk().PreTare(-1), 0);
    EXPECT_EQ(Sdk().PreTare(100000), 0);
    EXPECT_EQ(Sdk().SetUnit(-1), 0);
    EXPECT_EQ(Sdk().SetUnit(3), 0);
    EXPECT_EQ(FirstLineOfTheNextCommand(), "Z\r\n") << "a refused call sent something";
}

TEST_F(OurScaleSdk, GetResultAsksForTheNextReading)
{
    OpenPort();
    char text[64] = {};
    std::string sent;
    EXPECT_EQ(CallAnswered([&] { return Sdk().GetResult(text, sizeof text); },
                  [&] {
                      sent = peer->ReadLine(kHungMs);
                      peer->Send("W,S,Z,kg,2.000,0.000,2.000\r\n");
                  },
                  1),
        1);
    EXPECT_EQ(sent, "R\r\n");
    EXPECT_STREQ(text, "W,S,Z,kg,2.000,0.000,2.000");
    EXPECT_EQ(Readings(1).front(), "W,S,Z,kg,2.000,0.000,2.000") << "the reading did not reach the callback too";
    EXPECT_EQ(Sdk().GetResult(nullptr, 64), 0);
    EXPECT_EQ(Sdk().GetResult(text, 0), 0);
}

TEST_F(OurScaleSdk, SilenceAndGarbageEndEachCallWithinItsBound)
{
    OpenPort();
    char text[64] = {};
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Sdk().Zero(), 0);
    ::testing::Test::RecordProperty("silent_zero_ms", static_cast<int>(MillisecondsSince(start)));
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(Sdk().GetResult(text, sizeof text), 0);
    ::testing::Test::RecordProperty("silent_get_result_ms", static_cast<int>(MillisecondsSince(start)));

    // A scale that babbles without end: commands fail at their bound, close still closes.
    std::atomic<bool> babbling {true};
    std::thread babbler([&] {
        SerialPeer& line = *peer;
        while (babbling.load()) {
            line.Send(std::string(512, '#') + "A,Q\r\n\x01\x02W,S\r\n");
            ::Sleep(1);
        }
    });
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(Sdk().Tare(), 0);
    ::testing::Test::RecordProperty("garbage_tare_ms", static_cast<int>(MillisecondsSince(start)));
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(Sdk().Close(), 1);
    ::testing::Test::RecordProperty("garbage_close_ms", static_cast<int>(MillisecondsSince(start)));
    babbling = false;
    babbler.join();
    EXPECT_TRUE(Readings(1, 0).empty());
}

TEST_F(OurScaleSdk, OpeningAgainReplacesTheConnection)
{
    OpenPort();
    OpenPort();
    // Two readers on one port would share its bytes between them: readings lost or doubled.
    peer->Send("W,S,Z,kg,1.000,0.000,1.000\r\n");
    EXPECT_EQ(Readings(1), Strings {"W,S,Z,kg,1.000,0.000,1.000"});
    peer->Send("W,S,Z,kg,2.000,0.000,2.000\r\n");
    EXPECT_EQ(Readings(2), (Strings {"W,S,Z,kg,1.000,0.000,1.000", "W,S,Z,kg,2.000,0.000,2.000"}));
}

TEST_F(OurScaleSdk, CloseEndsTheReadingsAndThePortOpensAgain)
{
    OpenPort();
    EXPECT_EQ(Sdk().Close(), 1);
    // Closed means the port is free, and what the scale sends now reaches the test, not the SDK.
    const HANDLE port = OpenFreePort();
    ASSERT_NE(port, nullptr) << "something still holds the closed port";
    const std::string unread = "W,S,Z,kg,1.000,0.000,1.000\r\n";
    peer->Send(unread);
    EXPECT_EQ(ReadComPort(port, unread.size()), unread);
    ::CloseHandle(port);
    EXPECT_TRUE(Readings(1, 0).empty());

    OpenPort();
    peer->Send("W,U,N,kg,2.000,0.000,2.000\r\n");
    EXPECT_EQ(Readings(1), Strings {"W,U,N,kg,2.000,0.000,2.000"});
}

TEST_F(OurScaleSdk, TheCallbackMayCallTheSdkWithoutDeadlock)
{
    OpenPort();
    std::promise<std::pair<int, int>> results;
    std::atomic<int> calls {0};
    {
        std::lock_guard<std::mutex> lock(g_received.mutex);
        g_received.during = [&](const std::string&) {
            if (calls++ > 0)
                return;
            const int zero = Sdk().Zero(); // its answer could only be read by this thread
            const int close = Sdk().Close();
            results.set_value({zero, close});
        };
    }
    // Two readings in one piece: the second is already received when the first closes the port.
    peer->Send("W,S,Z,kg,1.000,0.000,1.000\r\nW,S,Z,kg,2.000,0.000,2.000\r\n");
    std::future<std::pair<int, int>> done = results.get_future();
    ASSERT_EQ(done.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(done.get(), std::make_pair(0, 1));
    // Once the port can be opened again the reader has ended: the reading it had must not have
    // come through, and what the scale sends now reaches the test.
    const HANDLE port = OpenFreePort();
    ASSERT_NE(port, nullptr) << "the reader did not let the port go";
    const std::string unread = "W,S,Z,kg,3.000,0.000,3.000\r\n";
    peer->Send(unread);
    EXPECT_EQ(ReadComPort(port, unread.size()), unread);
    ::CloseHandle(port);
    EXPECT_EQ(Readings(2, 0), Strings {"W,S,Z,kg,1.000,0.000,1.000"});
    {
        std::lock_guard<std::mutex> lock(g_received.mutex);
        g_received.during = nullptr;
    }
    OpenPort();
    EXPECT_EQ(FirstLineOfTheNextCommand(), "Z\r\n") << "a command went out from inside the callback";
}

} // namespace

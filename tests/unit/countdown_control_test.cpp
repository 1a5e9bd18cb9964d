#include "countdown/countdown_control.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_fields.h"

namespace tarnvel {
namespace {

using testing::FakeFields;
using Texts = std::array<std::string, 3>;

struct FakeButton : ButtonControl {
    std::string caption = "Start";
    std::string tag = "0";
    bool enabled = true;
    void SetCaption(const std::string& c) override { caption = c; }
    std::string Tag() const override { return tag; }
    void SetTag(const std::string& t) override { tag = t; }
    void SetEnabled(bool on) override { enabled = on; }
};

struct FakeTimer : TimerControl {
    bool enabled = false;
    void SetEnabled(bool on) override { enabled = on; }
};

// Records the order of everything the controller does outside the fields,
// with what the window showed at that moment.
struct FakeHost : CountdownHost {
    explicit FakeHost(FakeFields& f, FakeButton& b) : fields(f), button(b) {}
    void ShowConfirmMessage(const std::string& text) override {
        events.push_back("message:" + text + " caption=" + button.caption);
    }
    void ShowTimeUpNotice() override { events.push_back("notice"); }
    bool NeedsShutdownPrivilege() const override { return ntFamily; }
    void EnableShutdownPrivilege() override { events.push_back("privilege"); }
    void RequestSessionEnd() override {
        events.push_back("end-session fields=" + fields.texts[0] + fields.texts[1] + fields.texts[2]);
    }

    FakeFields& fields;
    FakeButton& button;
    bool ntFamily = true;
    std::vector<std::string> events;
};

class CountdownControlTest : public ::testing::Test {
protected:
    void Type(std::string h, std::string m, std::string s) { fields.Set(std::move(h), std::move(m), std::move(s)); }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i)
            control.Timer1_Timer();
    }
    void ExpectIdle() {
        EXPECT_EQ(startPause.caption, "Start");
        EXPECT_EQ(startPause.tag, "0");
        EXPECT_FALSE(timer.enabled);
        EXPECT_TRUE(reset.enabled);
        EXPECT_EQ(fields.enabled, (std::array<bool, 3>{true, true, true}));
    }
    void ExpectCounting() {
        EXPECT_EQ(startPause.caption, "Pause");
        EXPECT_EQ(startPause.tag, "1");
        EXPECT_TRUE(timer.enabled);
        EXPECT_FALSE(reset.enabled);
        EXPECT_EQ(fields.enabled, (std::array<bool, 3>{false, false, false}));
    }

    FakeFields fields{"00", "00", "00"};
    FakeButton startPause;
    FakeButton reset;
    FakeTimer timer;
    FakeHost host{fields, startPause};
    CountdownControl control{fields, startPause, reset, timer, host};
};

TEST_F(CountdownControlTest, ThreeSecondCountExpiresAndRestoresTheDuration) {
    Type("00", "00", "03");
    control.Command1_Click();
    ExpectCounting();
    EXPECT_EQ(control.Clock().RemainingSeconds(), 3);
    Ticks(2);
    EXPECT_EQ(fields.Shown(), (Texts{"00", "00", "01"}));
    EXPECT_TRUE(host.events.empty());
    Ticks(1);
    EXPECT_EQ(host.events,
              (std::vector<std::string>{"privilege", "notice", "end-session fields=000000"}));
    EXPECT_EQ(fields.Shown(), (Texts{"00", "00", "03"}));
    ExpectIdle();
    EXPECT_EQ(control.Clock().RemainingSeconds(), 0);
}

TEST_F(CountdownControlTest, WindowsNinetyEightSkipsOnlyThePrivilegeStep) {
    host.ntFamily = false;
    Type("00", "00", "01");
    control.Command1_Click();
    Ticks(1);
    EXPECT_EQ(host.events, (std::vector<std::string>{"notice", "end-session fields=000000"}));
    ExpectIdle();
}

TEST_F(CountdownControlTest, ZeroCountIsRefusedWithPauseShowingDuringTheMessage) {
    reset.enabled = false;  // the refusal must enable it again
    control.Command1_Click();
    EXPECT_EQ(host.events, (std::vector<std::string>{"message:No allow Zero Count caption=Pause"}));
    ExpectIdle();
    EXPECT_EQ(control.SavedTime(), (Texts{"", "", ""}));
}

TEST_F(CountdownControlTest, ZeroCountRefusalIsExactTextComparison) {
    Type("0", "00", "00");  // not "00": accepted, loads zero
    control.Command1_Click();
    ExpectCounting();
    EXPECT_EQ(control.Clock().RemainingSeconds(), 0);
}

TEST_F(CountdownControlTest, PauseFreezesAndResumeSavesTheNewDuration) {
    Type("00", "01", "00");
    control.Command1_Click();
    Ticks(5);
    control.Command1_Click();  // pause
    ExpectIdle();
    EXPECT_EQ(fields.Shown(), (Texts{"00", "00", "55"}));
    EXPECT_EQ(control.Clock().RemainingSeconds(), 55);
    control.Command1_Click();  // resume
    EXPECT_EQ(control.SavedTime(), (Texts{"00", "00", "55"}));
    Ticks(55);
    EXPECT_EQ(fields.Shown(), (Texts{"00", "00", "55"}));
    EXPECT_EQ(host.events.size(), 3u);
}

TEST_F(CountdownControlTest, EditWhilePausedIsWhatTheNextStartCounts) {
    Type("00", "59", "59");
    control.Command1_Click();
    Ticks(10);
    control.Command1_Click();
    Type("00", "00", "05");
    control.Command1_Click();
    EXPECT_EQ(control.Clock().RemainingSeconds(), 5);
    Ticks(4);
    EXPECT_TRUE(host.events.empty());
    Ticks(1);
    EXPECT_EQ(host.events.back(), "end-session fields=000000");
}

TEST_F(CountdownControlTest, ResetWhilePausedLeadsToARefusedStart) {
    Type("00", "00", "30");
    control.Command1_Click();
    Ticks(3);
    control.Command1_Click();
    control.Command2_Click();
    EXPECT_EQ(fields.Shown(), (Texts{"00", "00", "00"}));
    EXPECT_EQ(fields.writes.size(), 3u * 3u + 3u);
    control.Command1_Click();
    EXPECT_EQ(host.events.size(), 1u);
    EXPECT_EQ(host.events[0].rfind("message:No allow Zero Count", 0), 0u);
    ExpectIdle();
}

TEST_F(CountdownControlTest, UnknownTagOnlyReloadsTheCount) {
    startPause.tag = "x";
    Type("00", "02", "00");
    control.Command1_Click();
    EXPECT_EQ(control.Clock().RemainingSeconds(), 120);
    EXPECT_EQ(startPause.tag, "x");
    EXPECT_FALSE(timer.enabled);
}

TEST_F(CountdownControlTest, SecondExpiryInOneRunDoesTheSameAgain) {
    Type("00", "00", "02");
    control.Command1_Click();
    Ticks(2);
    control.Command1_Click();
    Ticks(2);
    EXPECT_EQ(host.events.size(), 6u);
    EXPECT_EQ(fields.Shown(), (Texts{"00", "00", "02"}));
}

}  // namespace
}  // namespace tarnvel

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
    bool failsToStart = false;
    bool Start() override {
        enabled = !failsToStart;
        return enabled;
    }
    void Stop() override { enabled = false; }
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
    void ReportTimerFailure() override { events.push_back("timer failure caption=" + button.caption); }

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
    Ticks(2);
    EXPECT_EQ(fields.Shown(), (Texts{"00", "00", "01"}));
    EXPECT_TRUE(host.events.empty());
    Ticks(1);
    EXPECT_EQ(host.events,
              (std::vector<std::string>{"privilege", "notice", "end-session fields=000000"}));
    EXPECT_EQ(fields.Shown(), (Texts{"00", "00", "03"}));
    ExpectIdle();
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
}

// The focus can reach Start without leaving a field inside the program (the
// window was left for another program and clicked again): Start then applies
// the field's leave rule itself, so no count starts from unchecked text.
TEST_F(CountdownControlTest, StartSettlesFieldsTheFocusNeverLeft) {
    Type("", "00", "0");  // both become "00": a zero count, refused
    control.Command1_Click();
    EXPECT_EQ(host.events, (std::vector<std::string>{"message:No allow Zero Count caption=Pause"}));
    EXPECT_EQ(fields.Shown(), (Texts{"00", "00", "00"}));
    ExpectIdle();

    host.events.clear();
    Type("00", "00", "5");
    control.Command1_Click();
    EXPECT_TRUE(host.events.empty());
    ExpectCounting();
    Ticks(5);
    EXPECT_EQ(host.events.back(), "end-session fields=000000");
    EXPECT_EQ(fields.Shown(), (Texts{"00", "00", "05"}));
}

TEST_F(CountdownControlTest, StartWithMinutesOverTheLimitShowsTheMessageAndDoesNotStart) {
    Type("00", "75", "00");
    control.Command1_Click();
    EXPECT_EQ(host.events, (std::vector<std::string>{"message:Please fill sec / min blank less than 59 caption=Start"}));
    EXPECT_EQ(fields.Shown(), (Texts{"00", "59", "00"}));
    ExpectIdle();
    control.Command1_Click();  // the corrected fields start as they are
    ExpectCounting();
    EXPECT_EQ(host.events.size(), 1u);
}

TEST_F(CountdownControlTest, LeavingAFieldPadsAndLimitsIt) {
    Type("7", "", "60");
    for (int i = 0; i < 3; ++i)
        control.Text1_LostFocus(i);
    EXPECT_EQ(fields.Shown(), (Texts{"07", "00", "59"}));
    EXPECT_EQ(host.events, (std::vector<std::string>{"message:Please fill sec / min blank less than 59 caption=Start"}));
    const std::size_t writes = fields.writes.size();
    control.Text1_LostFocus(kSeconds);  // settled already: nothing shown or written
    EXPECT_EQ(host.events.size(), 1u);
    EXPECT_EQ(fields.writes.size(), writes);
}

TEST_F(CountdownControlTest, TimerThatCannotStartLeavesTheCountIdleAndSaysSo) {
    timer.failsToStart = true;
    Type("00", "00", "09");
    control.Command1_Click();
    EXPECT_EQ(host.events, (std::vector<std::string>{"timer failure caption=Start"}));
    ExpectIdle();
    EXPECT_EQ(fields.Shown(), (Texts{"00", "00", "09"}));
    timer.failsToStart = false;
    control.Command1_Click();
    ExpectCounting();
}

TEST_F(CountdownControlTest, PauseFreezesAndResumeSavesTheNewDuration) {
    Type("00", "01", "00");
    control.Command1_Click();
    Ticks(5);
    control.Command1_Click();  // pause
    ExpectIdle();
    EXPECT_EQ(fields.Shown(), (Texts{"00", "00", "55"}));
    control.Command1_Click();  // resume: the saved duration is now 55 s
    Ticks(54);
    EXPECT_EQ(host.events.size(), 0u);
    Ticks(1);
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
    EXPECT_EQ(startPause.tag, "x");
    EXPECT_FALSE(timer.enabled);
    EXPECT_EQ(fields.writes.size(), 0u);
    control.Timer1_Timer();  // what was loaded: 120 s, one taken off
    EXPECT_EQ(fields.Shown(), (Texts{"00", "01", "59"}));
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

#pragma once
// The Start/Pause controller: one button starts and pauses the count, the
// timer drives the clock, and the expiry sequence runs when the fields read
// zero. Idle and Counting are told apart by the button's tag, "0" or "1".
// It also holds the rule a time field follows when the user leaves it.

#include <array>
#include <string>

#include "countdown/control_ports.h"
#include "countdown/countdown_clock.h"

namespace tarnvel {

constexpr char kStartCaption[] = "Start";
constexpr char kPauseCaption[] = "Pause";
constexpr char kIdleTag[] = "0";
constexpr char kCountingTag[] = "1";
constexpr char kZeroCountMessage[] = "No allow Zero Count";

class CountdownControl {
public:
    CountdownControl(TimeFieldControls& fields, ButtonControl& startPause, ButtonControl& reset, TimerControl& timer,
                     CountdownHost& host);

    void Command1_Click();                // Start/Pause
    void Command2_Click();                // Reset
    void Timer1_Timer();                  // one timer event
    void Text1_LostFocus(int index);      // the focus moved from a field to another window of the program

private:
    bool SettleField(int index);  // returns whether the limit message was shown
    bool SettleUncheckedFields();
    bool Start();                 // returns false when the count did not start
    void Pause();
    void ShowIdle();
    void RunExpirySequence();
    void ShowIdleButton();

    TimeFieldControls& fields_;
    ButtonControl& command1_;
    ButtonControl& command2_;
    TimerControl& timer1_;
    CountdownHost& host_;
    CountdownClock clock_;
    std::array<std::string, kFieldCount> mstrSavedTime;
};

}  // namespace tarnvel

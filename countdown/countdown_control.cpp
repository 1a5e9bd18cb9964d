#include "countdown/countdown_control.h"

#include "countdown/time_fields.h"

namespace tarnvel {

CountdownControl::CountdownControl(TimeFieldControls& fields, ButtonControl& startPause, ButtonControl& reset,
                                   TimerControl& timer, CountdownHost& host)
    : fields_(fields), command1_(startPause), command2_(reset), timer1_(timer), host_(host) {}

void CountdownControl::Command1_Click() {
    const std::string tag = command1_.Tag();
    if (tag == kIdleTag) {
        // A field still holding what was typed (the focus reached Start
        // without leaving it inside the program) gets the leave rule first.
        // When that needed the limit message, the click ends there, as when
        // the message comes up under a click that leaves the field.
        if (SettleUncheckedFields() || !Start())
            return;
    } else if (tag == kCountingTag) {
        Pause();
    }
    // Reloading on both Start and Pause freezes a paused count at what the
    // fields show, and lets the next Start count on from an edited display.
    clock_.LoadFromFields(fields_);
}

void CountdownControl::Text1_LostFocus(int index) {
    SettleField(index);
}

bool CountdownControl::SettleField(int index) {
    const LeavingResult settled = NormaliseOnLeaving(index, fields_.Text(index));
    if (settled.showLimitMessage)
        host_.ShowConfirmMessage(kLimitMessage);
    if (settled.text != fields_.Text(index))
        fields_.SetText(index, settled.text);
    return settled.showLimitMessage;
}

bool CountdownControl::SettleUncheckedFields() {
    bool messageShown = false;
    for (int i = 0; i < kFieldCount; ++i)
        if (!IsSettledFieldText(i, fields_.Text(i)) && SettleField(i))
            messageShown = true;
    return messageShown;
}

bool CountdownControl::Start() {
    command1_.SetCaption(kPauseCaption);
    command1_.SetTag(kCountingTag);
    const std::string hours = fields_.Text(kHours);
    const std::string minutes = fields_.Text(kMinutes);
    const std::string seconds = fields_.Text(kSeconds);
    if (hours == kZeroFieldText && minutes == kZeroFieldText && seconds == kZeroFieldText) {
        host_.ShowConfirmMessage(kZeroCountMessage);
        ShowIdleButton();
        command2_.SetEnabled(true);
        return false;
    }
    command2_.SetEnabled(false);
    for (int i = 0; i < kFieldCount; ++i) {
        mstrSavedTime[i] = fields_.Text(i);
        fields_.SetEnabled(i, false);
    }
    if (!timer1_.Start()) {
        // Nothing would count: the window goes back to idle before it says so.
        ShowIdle();
        host_.ReportTimerFailure();
        return false;
    }
    return true;
}

void CountdownControl::Pause() {
    timer1_.Stop();
    ShowIdle();
}

void CountdownControl::ShowIdle() {
    ShowIdleButton();
    command2_.SetEnabled(true);
    for (int i = 0; i < kFieldCount; ++i)
        fields_.SetEnabled(i, true);
}

void CountdownControl::Command2_Click() {
    for (int i = 0; i < kFieldCount; ++i)
        fields_.SetText(i, kZeroFieldText);
}

void CountdownControl::Timer1_Timer() {
    if (clock_.Tick(fields_))
        RunExpirySequence();
}

void CountdownControl::RunExpirySequence() {
    timer1_.Stop();
    if (host_.NeedsShutdownPrivilege())
        host_.EnableShutdownPrivilege();
    host_.ShowTimeUpNotice();
    host_.RequestSessionEnd();
    for (int i = 0; i < kFieldCount; ++i) {
        fields_.SetText(i, mstrSavedTime[i]);
        fields_.SetEnabled(i, true);
    }
    ShowIdleButton();
    command2_.SetEnabled(true);
}

void CountdownControl::ShowIdleButton() {
    command1_.SetCaption(kStartCaption);
    command1_.SetTag(kIdleTag);
}

}  // namespace tarnvel

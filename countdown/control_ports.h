#pragma once
// What the Start/Pause controller needs of the window it drives. The main
// window implements these over its real controls; tests use fakes.

#include <cstdint>
#include <string>

#include "countdown/field_texts.h"

namespace tarnvel {

// The three time fields: their texts (FieldTexts) and enabled states.
class TimeFieldControls : public FieldTexts {
public:
    virtual void SetEnabled(int index, bool enabled) = 0;
};

class ButtonControl {
public:
    virtual ~ButtonControl() = default;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual std::string Tag() const = 0;
    virtual void SetTag(const std::string& tag) = 0;
    virtual void SetEnabled(bool enabled) = 0;
};

// The one-second timer.
class TimerControl {
public:
    virtual ~TimerControl() = default;
    // Starts the events with a full interval; false when the system could
    // not start them.
    virtual bool Start() = 0;
    virtual void Stop() = 0;
};

// Everything the expiry sequence and the refusal reach outside the fields.
class CountdownHost {
public:
    virtual ~CountdownHost() = default;
    // Modal "Confirm" message box with the stop icon; returns when dismissed.
    virtual void ShowConfirmMessage(const std::string& text) = 0;
    // Shows the time-up notice modeless (creating it the first time).
    virtual void ShowTimeUpNotice() = 0;
    // Is this the NT family, where the shutdown privilege must be enabled?
    virtual bool NeedsShutdownPrivilege() const = 0;
    virtual void EnableShutdownPrivilege() = 0;
    // Asks Windows to end the session with the stored exit mode.
    virtual void RequestSessionEnd() = 0;
    // Tells the user that the timer could not be started.
    virtual void ReportTimerFailure() = 0;
};

}  // namespace tarnvel

#pragma once
// The three time fields as the clock sees them: texts that can be read and
// written by index (0 hours, 1 minutes, 2 seconds).

#include <string>

namespace tarnvel {

enum FieldIndex : int { kHours = 0, kMinutes = 1, kSeconds = 2 };
constexpr int kFieldCount = 3;

class FieldTexts {
public:
    virtual ~FieldTexts() = default;
    virtual std::string Text(int index) const = 0;
    virtual void SetText(int index, const std::string& text) = 0;
};

}  // namespace tarnvel

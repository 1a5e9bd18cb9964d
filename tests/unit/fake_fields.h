#pragma once
// Three field texts with enabled states, and a log of every write, standing
// in for the main window's text controls.

#include <array>
#include <string>
#include <vector>

#include "countdown/control_ports.h"

namespace tarnvel::testing {

class FakeFields : public TimeFieldControls {
public:
    FakeFields(std::string hours, std::string minutes, std::string seconds)
        : texts{std::move(hours), std::move(minutes), std::move(seconds)} {}

    std::string Text(int index) const override {
        reads.push_back(index);
        return texts[index];
    }
    void SetText(int index, const std::string& text) override {
        writes.push_back(index);
        texts[index] = text;
    }
    void SetEnabled(int index, bool on) override { enabled[index] = on; }

    std::array<std::string, 3> Shown() const { return texts; }
    void Set(std::string hours, std::string minutes, std::string seconds) {
        texts = {std::move(hours), std::move(minutes), std::move(seconds)};
    }

    std::array<std::string, 3> texts;
    std::array<bool, 3> enabled{true, true, true};
    mutable std::vector<int> reads;
    std::vector<int> writes;
};

}  // namespace tarnvel::testing

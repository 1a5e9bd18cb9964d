#pragma once
// The program's name, as its windows and message boxes show it.

namespace tarnvel {

constexpr char kAppTitle[] = "Tarnvel";

}  // namespace tarnvel

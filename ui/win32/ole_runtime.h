#pragma once
// OLE, loaded and started the first time something needs it (decoding the
// About picture, answering a screen reader), so that start-up does without
// it; ended once as the program ends.

#include <windows.h>
#include <ole2.h>
#include <olectl.h>

namespace tarnvel {

struct OleFunctions {
    decltype(&::CreateStreamOnHGlobal) createStreamOnHGlobal = nullptr;
    decltype(&::OleLoadPicture) oleLoadPicture = nullptr;
    decltype(&::SysAllocString) sysAllocString = nullptr;
};

// Loads and starts OLE on this thread once; null when it is not there.
const OleFunctions* StartOle();

// Ends OLE if it was started; once, as the program ends.
void EndOleIfStarted();

}  // namespace tarnvel

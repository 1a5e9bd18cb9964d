#pragma once
// OLE, loaded and started the first time something needs it (decoding the
// About picture, answering a screen reader), so that start-up does without
// it. It is not ended before the process ends: a screen reader may still
// hold one of the program's objects then, and ending OLE would wait for its
// release, which only the message loop that has just ended could take.

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

}  // namespace tarnvel

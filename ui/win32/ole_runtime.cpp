#include "ui/win32/ole_runtime.h"

#include "ui/win32/system_functions.h"

namespace tarnvel {
namespace {

struct OleState {
    OleFunctions functions;
    bool tried = false;
    bool started = false;
};

OleState& Ole() {
    static OleState state;
    return state;
}

}  // namespace

const OleFunctions* StartOle() {
    OleState& ole = Ole();
    if (!ole.tried) {
        ole.tried = true;
        HMODULE ole32 = LoadSystemLibrary("ole32.dll");
        HMODULE oleaut32 = LoadSystemLibrary("oleaut32.dll");
        const auto oleInitialize = LookUp<decltype(&::OleInitialize)>(ole32, "OleInitialize");
        OleFunctions& f = ole.functions;
        f.createStreamOnHGlobal = LookUp<decltype(&::CreateStreamOnHGlobal)>(ole32, "CreateStreamOnHGlobal");
        f.oleLoadPicture = LookUp<decltype(&::OleLoadPicture)>(oleaut32, "OleLoadPicture");
        f.sysAllocString = LookUp<decltype(&::SysAllocString)>(oleaut32, "SysAllocString");
        ole.started = oleInitialize && f.createStreamOnHGlobal && f.oleLoadPicture && f.sysAllocString &&
                      SUCCEEDED(oleInitialize(nullptr));
    }
    return ole.started ? &ole.functions : nullptr;
}

}  // namespace tarnvel

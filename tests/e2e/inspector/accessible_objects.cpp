#include "accessible_objects.h"

#include <oleacc.h>

#include <string>

namespace tarnvel_inspect {
namespace {

// Defined here: with MinGW, IID_IAccessible from liboleacc.a resolves to an
// import thunk, and every query given it fails with E_NOINTERFACE.
constexpr IID kIidAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

// A reference of the client object, released when it goes.
class ClientObject {
public:
    explicit ClientObject(HWND window) {
        static const bool started = SUCCEEDED(::CoInitialize(nullptr));
        (void)started;
        void* found = nullptr;
        if (SUCCEEDED(::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible, &found)))
            object_ = static_cast<IAccessible*>(found);
    }
    ~ClientObject() {
        if (object_)
            object_->Release();
    }
    ClientObject(const ClientObject&) = delete;
    ClientObject& operator=(const ClientObject&) = delete;

    IAccessible* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    IAccessible* object_ = nullptr;
};

VARIANT Self() {
    VARIANT self;
    ::VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

template <class Getter>
void WriteText(Json& json, const char* key, Getter get) {
    BSTR text = nullptr;
    if (SUCCEEDED(get(&text)) && text) {
        json.Key(key).Str(ToUtf8(std::wstring(text, ::SysStringLen(text))));
        ::SysFreeString(text);
    } else {
        json.Key(key).Null();
    }
}

template <class Getter>
long NumberOf(Getter get) {
    VARIANT value;
    ::VariantInit(&value);
    if (FAILED(get(&value)) || value.vt != VT_I4) {
        ::VariantClear(&value);
        return -1;
    }
    return value.lVal;
}

std::wstring RoleText(long role) {
    wchar_t text[128] = {};
    if (role < 0 || !::GetRoleTextW(static_cast<DWORD>(role), text, 128))
        return {};
    return text;
}

void WriteObject(Json& json, HWND window) {
    json.BeginObject();
    json.Key("hwnd").Num(static_cast<long long>(reinterpret_cast<UINT_PTR>(window)));
    json.Key("id").Num(::GetDlgCtrlID(window));
    ClientObject object(window);
    json.Key("found").Bool(static_cast<bool>(object));
    if (object) {
        const VARIANT self = Self();
        WriteText(json, "name", [&](BSTR* out) { return object->get_accName(self, out); });
        WriteText(json, "value", [&](BSTR* out) { return object->get_accValue(self, out); });
        WriteText(json, "default_action", [&](BSTR* out) { return object->get_accDefaultAction(self, out); });
        const long role = NumberOf([&](VARIANT* out) { return object->get_accRole(self, out); });
        json.Key("role").Num(role).Key("role_text").Str(ToUtf8(RoleText(role)));
        json.Key("state").Num(NumberOf([&](VARIANT* out) { return object->get_accState(self, out); }));
    }
    json.EndObject();
}

}  // namespace

void WriteAccessibleTree(Json& json, HWND top, const std::vector<HWND>& controls) {
    json.BeginObject().Key("window");
    WriteObject(json, top);
    json.Key("controls").BeginArray();
    for (HWND control : controls)
        WriteObject(json, control);
    json.EndArray().EndObject();
}

long DoDefaultAction(HWND window) {
    ClientObject object(window);
    return object ? object->accDoDefaultAction(Self()) : E_NOINTERFACE;
}

}  // namespace tarnvel_inspect

#include "ui/win32/accessible_object.h"

#include <oleacc.h>

#include <memory>

#include "ui/win32/ole_runtime.h"
#include "ui/win32/system_functions.h"

namespace tarnvel {
namespace {

// Defined here: with MinGW, the IIDs of liboleacc.a resolve to import thunks.
constexpr IID kIidAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
constexpr IID kIidDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIidOleWindow = {0x00000114, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct Oleacc {
    decltype(&::CreateStdAccessibleObject) createStandard = nullptr;
    decltype(&::LresultFromObject) lresultFromObject = nullptr;
};

// oleacc's two functions, looked up once; null where either is missing.
const Oleacc* OleaccFunctions() {
    static const Oleacc functions{
        LookUpSystem<decltype(&::CreateStdAccessibleObject)>("oleacc.dll", "CreateStdAccessibleObject"),
        LookUpSystem<decltype(&::LresultFromObject)>("oleacc.dll", "LresultFromObject")};
    return functions.createStandard && functions.lresultFromObject ? &functions : nullptr;
}

bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// The window's standard client object, with the role, states and action of
// its kind. Its references are counted, as COM objects' are: it lives while
// a screen reader holds it, and only posts to the window, which it may outlive.
class KindOverlay final : public IAccessible, public IOleWindow {
public:
    KindOverlay(HWND window, IAccessible* standard, const AccessibleKind& kind)
        : window_(window), standard_(standard), kind_(kind) {}
    KindOverlay(const KindOverlay&) = delete;
    KindOverlay& operator=(const KindOverlay&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (iid == kIidUnknown || iid == kIidDispatch || iid == kIidAccessible)
            *out = static_cast<IAccessible*>(this);
        else if (iid == kIidOleWindow)  // how a screen reader finds the window of an object
            *out = static_cast<IOleWindow*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0)
            std::unique_ptr<KindOverlay> last(this);  // the last reference: the object goes
        return left;
    }

    // IOleWindow
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (!window)
            return E_POINTER;
        *window = window_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return standard_->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return standard_->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return standard_->GetIDsOfNames(iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* wrong) override {
        return standard_->Invoke(id, iid, locale, flags, parameters, result, exception, wrong);
    }

    // IAccessible: what the kind says of the window itself...
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!IsSelf(child) || !role)
            return standard_->get_accRole(child, role);
        // vt and lVal are the whole answer: no VariantInit first, which would tie start-up to oleaut32.
        role->vt = VT_I4;
        role->lVal = kind_.role;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        const HRESULT result = standard_->get_accState(child, state);
        if (IsSelf(child) && SUCCEEDED(result) && state && state->vt == VT_I4) {
            state->lVal |= kind_.extraStates;
            if (::GetFocus() == window_)
                state->lVal |= STATE_SYSTEM_FOCUSED;
        }
        return result;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (!IsSelf(child) || !action)
            return standard_->get_accDefaultAction(child, action);
        const OleFunctions* ole = StartOle();
        *action = kind_.defaultAction && ole ? ole->sysAllocString(kind_.defaultAction) : nullptr;
        return *action ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (!IsSelf(child))
            return standard_->accDoDefaultAction(child);
        if (!kind_.defaultAction)
            return DISP_E_MEMBERNOTFOUND;
        return ::IsWindow(window_) && ::PostMessageA(window_, kWmDoDefaultAction, 0, 0) ? S_OK : E_FAIL;
    }

    // ...and the standard object's account of everything else.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override { return standard_->get_accChildCount(count); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return standard_->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return standard_->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return standard_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return standard_->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return standard_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return standard_->get_accKeyboardShortcut(child, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return standard_->get_accFocus(child); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return standard_->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return standard_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        return standard_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return standard_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        return standard_->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return standard_->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return standard_->put_accValue(child, value);
    }

private:
    ~KindOverlay() { standard_->Release(); }
    friend struct std::default_delete<KindOverlay>;

    ULONG references_ = 1;
    HWND window_;
    IAccessible* standard_;
    AccessibleKind kind_;
};

}  // namespace

LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam, const AccessibleKind& kind) {
    const Oleacc* oleacc = static_cast<LONG>(static_cast<DWORD>(lParam)) == OBJID_CLIENT ? OleaccFunctions() : nullptr;
    void* standard = nullptr;
    if (!oleacc || !StartOle() || FAILED(oleacc->createStandard(window, OBJID_CLIENT, kIidAccessible, &standard)) ||
        !standard)
        return ::DefWindowProcA(window, WM_GETOBJECT, wParam, lParam);
    auto object = std::make_unique<KindOverlay>(window, static_cast<IAccessible*>(standard), kind);
    // The answer holds its own reference; ours goes with this call.
    const LRESULT answer = oleacc->lresultFromObject(kIidAccessible, wParam, static_cast<IAccessible*>(object.get()));
    object.release()->Release();
    return answer;
}

void AnnounceAlert(HWND window) {
    ::NotifyWinEvent(EVENT_SYSTEM_ALERT, window, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace tarnvel

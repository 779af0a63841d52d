#include "forms/accessible_win.h"

#include <commctrl.h>
#include <oleacc.h>

#include <atomic>
#include <memory>
#include <utility>

namespace corvalinth::forms {
namespace {

constexpr IID kIidDispatch{0x00020400, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIidUnknown{0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

HRESULT Put(const std::wstring& text, BSTR* out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (text.empty()) return S_FALSE;  // nothing to tell
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT Put(LONG value, VARIANT* out)
{
    if (!out) return E_POINTER;
    ::VariantInit(out);
    out->vt = VT_I4;
    out->lVal = value;
    return S_OK;
}

}  // namespace

// The standard object of the window with the facts laid over it, for the
// window's own id; everything else, and all of it while the facts do not say,
// is the standard object's answer.
class AccessibleObject final : public IAccessible {
public:
    static AccessibleObject* Make(HWND window, AccessibleFacts& facts)
    {
        IAccessible* standard = nullptr;
        if (FAILED(::CreateStdAccessibleObject(window, OBJID_CLIENT, kIidAccessible,
                                               reinterpret_cast<void**>(&standard))))
            standard = nullptr;
        // Owned by its references from here on: the last Release frees it.
        return std::make_unique<AccessibleObject>(facts, standard).release();
    }

    AccessibleObject(AccessibleFacts& facts, IAccessible* standard) : facts_(&facts), standard_(standard) {}
    ~AccessibleObject() { Disconnect(); }
    AccessibleObject(const AccessibleObject&) = delete;
    AccessibleObject& operator=(const AccessibleObject&) = delete;

    // The window is going: no more facts, no more standard object.
    void Disconnect()
    {
        facts_ = nullptr;
        if (IAccessible* standard = std::exchange(standard_, nullptr)) standard->Release();
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!::IsEqualIID(iid, kIidUnknown) && !::IsEqualIID(iid, kIidDispatch) && !::IsEqualIID(iid, kIidAccessible))
            return E_NOINTERFACE;
        *out = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references_;
        if (left == 0) std::unique_ptr<AccessibleObject> last(this);
        return left;
    }

    // IDispatch: clients call the interface directly; no type information.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

    // IAccessible: what the facts tell, for the window itself.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        return FactOr(&AccessibleFacts::AccessibleName, &IAccessible::get_accName, child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        return FactOr(&AccessibleFacts::AccessibleRole, &IAccessible::get_accRole, child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        return FactOr(&AccessibleFacts::AccessibleState, &IAccessible::get_accState, child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        return FactOr(&AccessibleFacts::AccessibleDefaultAction, &IAccessible::get_accDefaultAction, child, action);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        if (const HRESULT refused = Refuse(child)) return refused;
        if (IsSelf(child))
            if (auto own = facts_->AccessibleDefaultAction()) {
                if (own->empty()) return DISP_E_MEMBERNOTFOUND;
                facts_->StartAccessibleDefaultAction();
                return S_OK;
            }
        return Standard(&IAccessible::accDoDefaultAction, child);
    }

    // IAccessible: the standard object's, for a window that may have parts.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override
    {
        return Standard(&IAccessible::get_accParent, parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override
    {
        if (facts_ && !facts_->AccessibleHasChildren()) return ToCount(count);
        return Standard(&IAccessible::get_accChildCount, count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override
    {
        if (const HRESULT refused = Refuse(child)) return refused;
        return Standard(&IAccessible::get_accChild, child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override
    {
        if (const HRESULT refused = Refuse(child)) return refused;
        return Standard(&IAccessible::get_accValue, child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override
    {
        if (const HRESULT refused = Refuse(child)) return refused;
        return Standard(&IAccessible::get_accDescription, child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override
    {
        if (const HRESULT refused = Refuse(child)) return refused;
        return Standard(&IAccessible::get_accHelp, child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override
    {
        if (const HRESULT refused = Refuse(child)) return refused;
        return Standard(&IAccessible::get_accHelpTopic, file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override
    {
        if (const HRESULT refused = Refuse(child)) return refused;
        return Standard(&IAccessible::get_accKeyboardShortcut, child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override
    {
        return Standard(&IAccessible::get_accFocus, focus);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override
    {
        return Standard(&IAccessible::get_accSelection, selection);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override
    {
        if (const HRESULT refused = Refuse(child)) return refused;
        return Standard(&IAccessible::accSelect, flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override
    {
        if (const HRESULT refused = Refuse(child)) return refused;
        return Standard(&IAccessible::accLocation, left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override
    {
        if (const HRESULT refused = Refuse(start)) return refused;
        return Standard(&IAccessible::accNavigate, direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override
    {
        return Standard(&IAccessible::accHitTest, x, y, child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return DISP_E_MEMBERNOTFOUND; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override
    {
        if (const HRESULT refused = Refuse(child)) return refused;
        return Standard(&IAccessible::put_accValue, child, value);
    }

private:
    // Why a call about `child` cannot be answered, or S_OK (0) when it can.
    HRESULT Refuse(const VARIANT& child) const
    {
        if (!facts_) return RPC_E_DISCONNECTED;
        if (child.vt != VT_I4) return E_INVALIDARG;
        if (!IsSelf(child) && !facts_->AccessibleHasChildren()) return E_INVALIDARG;
        return S_OK;
    }
    // The facts' answer about the window itself, else the standard object's.
    template <class Fact, class Out>
    HRESULT FactOr(std::optional<Fact> (AccessibleFacts::*fact)() const,
                   HRESULT (STDMETHODCALLTYPE IAccessible::*standard)(VARIANT, Out*), VARIANT child, Out* out)
    {
        if (const HRESULT refused = Refuse(child)) return refused;
        if (IsSelf(child))
            if (auto own = (facts_->*fact)()) return Put(*own, out);
        return Standard(standard, child, out);
    }
    static HRESULT ToCount(LONG* count)
    {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    template <class... Parameters, class... Arguments>
    HRESULT Standard(HRESULT (STDMETHODCALLTYPE IAccessible::*method)(Parameters...), Arguments&&... arguments)
    {
        if (!facts_) return RPC_E_DISCONNECTED;
        if (!standard_) return DISP_E_MEMBERNOTFOUND;
        return (standard_->*method)(std::forward<Arguments>(arguments)...);
    }

    std::atomic<ULONG> references_{1};
    AccessibleFacts* facts_;
    IAccessible* standard_;
};

std::optional<LRESULT> AccessibleServer::OnGetObject(HWND window, AccessibleFacts& facts, WPARAM wParam,
                                                     LPARAM lParam)
{
    // The id comes as a DWORD; sign-extended it would not compare.
    if (static_cast<LONG>(static_cast<DWORD>(lParam)) != OBJID_CLIENT) return std::nullopt;
    if (!object_) object_ = AccessibleObject::Make(window, facts);
    // The reference handed out is the client's; ours stays until Disconnect.
    return ::LresultFromObject(kIidAccessible, wParam, static_cast<IAccessible*>(object_));
}

void AccessibleServer::Disconnect()
{
    if (AccessibleObject* object = std::exchange(object_, nullptr)) {
        object->Disconnect();
        object->Release();
    }
}

AccessibleLabel::AccessibleLabel(HWND window, std::wstring name) : window_(window), name_(std::move(name))
{
    if (window_) ::SetWindowSubclass(window_, &AccessibleLabel::SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

AccessibleLabel::~AccessibleLabel() { Unhook(); }

void AccessibleLabel::Unhook()
{
    if (HWND window = std::exchange(window_, nullptr))
        ::RemoveWindowSubclass(window, &AccessibleLabel::SubclassProc, 0);
    server_.Disconnect();
}

LRESULT CALLBACK AccessibleLabel::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                               DWORD_PTR self)
{
    auto* label = reinterpret_cast<AccessibleLabel*>(self);
    if (message == WM_GETOBJECT)
        if (auto answer = label->server_.OnGetObject(window, *label, wParam, lParam)) return *answer;
    if (message == WM_NCDESTROY) label->Unhook();
    return ::DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace corvalinth::forms

#include "platform/accessible_object.h"

#include <oleacc.h>

#include <new>

namespace qf {

namespace {

// Spelled out: the import libraries export these GUIDs as data, which a
// plain reference then misreads.
constexpr IID kIUnknown = {0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIDispatch = {0x00020400, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

bool SameIid(REFIID a, const IID& b) { return ::IsEqualGUID(a, b) != FALSE; }

void SetChildId(VARIANT* out, long child) {
  out->vt = VT_I4;
  out->lVal = child;
}

void SetEmpty(VARIANT* out) { out->vt = VT_EMPTY; }

HRESULT ReturnText(const std::wstring& text, BSTR* out) {
  *out = nullptr;
  if (text.empty()) return S_FALSE;
  *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

// The object of a child window, as MSAA hands children that are windows.
HRESULT WindowObject(HWND window, IDispatch** out) {
  return ::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_WINDOW), kIDispatch,
                                      reinterpret_cast<void**>(out));
}

// Runs one IAccessible call: nothing escapes into the caller, whose process
// may be another one.
template <typename Call>
HRESULT Guarded(Call call) noexcept {
  try {
    return call();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

}  // namespace

class AccessibleObject final : public IAccessible {
 public:
  AccessibleObject(HWND window, AccessibleSource& source) : window_(window), source_(&source) {}
  void Disconnect() { source_ = nullptr; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (SameIid(riid, kIUnknown) || SameIid(riid, kIDispatch) || SameIid(riid, kIAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&references_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = ::InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IDispatch: no type information; clients call the methods directly.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    if (!source_) return CO_E_OBJNOTCONNECTED;
    return WindowObject(window_, parent);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (!count) return E_POINTER;
    if (!source_) return CO_E_OBJNOTCONNECTED;
    *count = source_->AccessibleChildCount();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    return Guarded([&]() -> HRESULT {
      AccessibleFacts facts;
      if (const HRESULT hr = FactsOf(child, facts); hr != S_OK) return hr;
      // A simple child lives inside this object; a window answers for itself.
      return facts.window ? WindowObject(facts.window, out) : S_FALSE;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    return TextOf(child, name, &AccessibleFacts::name);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return TextOf(child, value, &AccessibleFacts::value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override { return NoText(child, out); }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    return NumberOf(child, role, &AccessibleFacts::role);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    return NumberOf(child, state, &AccessibleFacts::state);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override { return NoText(child, out); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override { return NoText(child, out); }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
    if (!out) return E_POINTER;
    SetEmpty(out);
    if (!source_) return CO_E_OBJNOTCONNECTED;
    return Guarded([&]() -> HRESULT {
      const HWND focus = ::GetFocus();
      if (!focus) return S_FALSE;
      if (focus == window_) {
        SetChildId(out, CHILDID_SELF);
        return S_OK;
      }
      const long count = source_->AccessibleChildCount();
      for (long child = 1; child <= count; ++child) {
        const AccessibleFacts facts = source_->AccessibleFactsOf(child);
        if (facts.window && (facts.window == focus || ::IsChild(facts.window, focus))) return ChildAsVariant(child, out);
      }
      return S_FALSE;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
    if (!out) return E_POINTER;
    SetEmpty(out);
    return source_ ? S_FALSE : CO_E_OBJNOTCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return TextOf(child, action, &AccessibleFacts::defaultAction);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    return Guarded([&]() -> HRESULT {
      AccessibleFacts facts;
      if (const HRESULT hr = FactsOf(child, facts); hr != S_OK) return hr;
      // Taking the focus is the one selection a window without items has.
      if (child.lVal != CHILDID_SELF || flags != SELFLAG_TAKEFOCUS) return DISP_E_MEMBERNOTFOUND;
      if (!(facts.state & STATE_SYSTEM_FOCUSABLE)) return DISP_E_MEMBERNOTFOUND;
      ::SetFocus(window_);
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
    if (!left || !top || !width || !height) return E_POINTER;
    *left = *top = *width = *height = 0;
    return Guarded([&]() -> HRESULT {
      AccessibleFacts facts;
      if (const HRESULT hr = FactsOf(child, facts); hr != S_OK) return hr;
      *left = facts.screen.left;
      *top = facts.screen.top;
      *width = facts.screen.right - facts.screen.left;
      *height = facts.screen.bottom - facts.screen.top;
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    if (!end) return E_POINTER;
    SetEmpty(end);
    return Guarded([&]() -> HRESULT {
      AccessibleFacts facts;
      if (const HRESULT hr = FactsOf(start, facts); hr != S_OK) return hr;
      const long count = source_->AccessibleChildCount();
      long target = 0;
      if (start.lVal == CHILDID_SELF) {
        // Among its own siblings the window's frame object navigates.
        if (direction == NAVDIR_FIRSTCHILD) target = 1;
        else if (direction == NAVDIR_LASTCHILD) target = count;
        else return DISP_E_MEMBERNOTFOUND;
      } else if (direction == NAVDIR_NEXT) {
        target = start.lVal + 1;
      } else if (direction == NAVDIR_PREVIOUS) {
        target = start.lVal - 1;
      } else if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
        return S_FALSE;  // simple children have none
      } else {
        return DISP_E_MEMBERNOTFOUND;
      }
      if (target < 1 || target > count) return S_FALSE;
      return ChildAsVariant(target, end);
    });
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
    if (!out) return E_POINTER;
    SetEmpty(out);
    if (!source_) return CO_E_OBJNOTCONNECTED;
    return Guarded([&]() -> HRESULT {
      const long child = source_->AccessibleChildAt({x, y});
      if (child < 0) return S_FALSE;
      if (child == CHILDID_SELF) {
        SetChildId(out, CHILDID_SELF);
        return S_OK;
      }
      return ChildAsVariant(child, out);
    });
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    return Guarded([&]() -> HRESULT {
      AccessibleFacts facts;
      if (const HRESULT hr = FactsOf(child, facts); hr != S_OK) return hr;
      return source_->AccessibleDefaultAction(child.lVal) ? S_OK : DISP_E_MEMBERNOTFOUND;
    });
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~AccessibleObject() = default;

  // The facts of a child named by a VARIANT; S_OK when there is such a
  // child.
  HRESULT FactsOf(const VARIANT& child, AccessibleFacts& facts) {
    if (!source_) return CO_E_OBJNOTCONNECTED;
    if (child.vt != VT_I4 || child.lVal < 0 || child.lVal > source_->AccessibleChildCount()) return E_INVALIDARG;
    facts = source_->AccessibleFactsOf(child.lVal);
    return S_OK;
  }

  HRESULT TextOf(const VARIANT& child, BSTR* out, std::wstring AccessibleFacts::*field) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return Guarded([&]() -> HRESULT {
      AccessibleFacts facts;
      if (const HRESULT hr = FactsOf(child, facts); hr != S_OK) return hr;
      return ReturnText(facts.*field, out);
    });
  }

  HRESULT NumberOf(const VARIANT& child, VARIANT* out, long AccessibleFacts::*field) {
    if (!out) return E_POINTER;
    SetEmpty(out);
    return Guarded([&]() -> HRESULT {
      AccessibleFacts facts;
      if (const HRESULT hr = FactsOf(child, facts); hr != S_OK) return hr;
      SetChildId(out, facts.*field);
      return S_OK;
    });
  }

  HRESULT NoText(const VARIANT& child, BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!source_) return CO_E_OBJNOTCONNECTED;
    if (child.vt != VT_I4) return E_INVALIDARG;
    return S_FALSE;
  }

  // A child as MSAA hands it out: a window child as its own object, a
  // simple child as its number.
  HRESULT ChildAsVariant(long child, VARIANT* out) {
    const AccessibleFacts facts = source_->AccessibleFactsOf(child);
    if (facts.window) {
      IDispatch* object = nullptr;
      if (SUCCEEDED(WindowObject(facts.window, &object)) && object) {
        out->vt = VT_DISPATCH;
        out->pdispVal = object;
        return S_OK;
      }
    }
    SetChildId(out, child);
    return S_OK;
  }

  LONG references_ = 1;
  HWND window_;
  AccessibleSource* source_;
};

bool AccessibleHost::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept {
  if (message == WM_DESTROY) {
    Disconnect();
    return false;
  }
  // Other objects (the frame, UI Automation's own request) are the default
  // window procedure's.
  if (message != WM_GETOBJECT || static_cast<LONG>(lParam) != OBJID_CLIENT) return false;
  if (!object_) object_ = new (std::nothrow) AccessibleObject(window, source_);
  if (!object_) return false;
  result = ::LresultFromObject(kIAccessible, wParam, static_cast<IAccessible*>(object_));
  return result > 0;
}

void AccessibleHost::Disconnect() noexcept {
  if (!object_) return;
  object_->Disconnect();
  // Stubs held for other processes are released now rather than when
  // those processes let go.
  ::CoDisconnectObject(static_cast<IAccessible*>(object_), 0);
  object_->Release();
  object_ = nullptr;
}

void NotifyAccessibleEvent(DWORD event, HWND window, long child) noexcept {
  if (window) ::NotifyWinEvent(event, window, OBJID_CLIENT, child);
}

}  // namespace qf

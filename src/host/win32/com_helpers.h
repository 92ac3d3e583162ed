#pragma once

// Small COM helpers for the Windows code that decodes and encodes pictures.
// Include after <windows.h> and <objbase.h>.

namespace host::win32 {

// Releases a COM interface when it goes.
template <typename Interface>
struct ComRef {
    Interface* p = nullptr;
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() { if (p) p->Release(); }
    Interface** out() { return &p; }
    Interface* operator->() const { return p; }
};

// COM for the length of one call, where the thread has not started it.
struct ComForCall {
    bool started = false;
    ComForCall() { started = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
    ComForCall(const ComForCall&) = delete;
    ComForCall& operator=(const ComForCall&) = delete;
    ~ComForCall() { if (started) CoUninitialize(); }
};

} // namespace host::win32

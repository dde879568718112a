#pragma once
// Receiving the messages of a window one does not own. The window's
// procedure is replaced by this module's dispatcher; all bookkeeping lives in
// named properties of the window, keyed with the decimal text of the
// dispatcher's address, so that several copies of the module (in different
// libraries, or different instantiations here) can hook one window at once
// and chain through their "Prev" and "Next" entries.
#include <string>
#include <vector>

#include "platform/forms/forms.h"
#include "platform/winmsg/winmsg.h"

namespace pz::sizeward {

using winmsg::HWND;
using winmsg::LPARAM;
using winmsg::LRESULT;
using winmsg::ProcAddress;
using winmsg::WPARAM;

// What the dispatcher calls on a subscriber.
class ISubclass {
public:
    virtual ~ISubclass() = default;
    // 0: handle after the previous procedure; 1: instead of it; 2: before it.
    virtual int32_t MsgResponse(HWND w, uint32_t msg) = 0;
    virtual LRESULT WindowProc(HWND w, uint32_t msg, WPARAM wp, LPARAM lp) = 0;
    // Counted references, held for the length of one dispatch.
    virtual void AddRef() = 0;
    virtual void Release() = 0;
};

template <int Copy>
class modSubclass {
public:
    static void SetWindowSystem(winmsg::WindowSystem* ws) { ws_ = ws; }
    static winmsg::WindowSystem* Windows() { return ws_; }

    static ProcAddress DispatcherAddress() { return winmsg::AddressOf(&Dispatch); }
    // The key of this copy's properties.
    static std::string A() { return std::to_string(DispatcherAddress()); }

    static void AttachMessage(ISubclass* who, HWND w, uint32_t msg) {
        const intptr_t total = Get(w, "Count" + A());
        if (total == 0) Hook(w);
        const std::string count = MsgCount(msg);
        const intptr_t n = Get(w, count);
        if (n <= 0) {
            Set(w, "Count" + A(), total + 1);
        } else {
            for (intptr_t i = 1; i <= n; ++i)
                if (Get(w, Entry(msg, i)) == Identity(who)) return;
        }
        Set(w, count, n + 1);
        Set(w, Entry(msg, n + 1), Identity(who));
    }

    static void DetachMessage(ISubclass* who, HWND w, uint32_t msg) {
        const std::string count = MsgCount(msg);
        const intptr_t n = Get(w, count);
        if (n == 0) return;
        intptr_t k = 0;
        for (intptr_t i = 1; i <= n && !k; ++i)
            if (Get(w, Entry(msg, i)) == Identity(who)) k = i;
        if (!k) return;
        for (intptr_t i = k + 1; i <= n; ++i) Set(w, Entry(msg, i - 1), Get(w, Entry(msg, i)));
        ws_->RemoveProp(w, Entry(msg, n));
        if (n >= 2) {
            Set(w, count, n - 1);
            return;
        }
        ws_->RemoveProp(w, count);
        const intptr_t total = Get(w, "Count" + A());
        if (total <= 1) {
            ws_->RemoveProp(w, "Count" + A());
            Unhook(w);
        } else {
            Set(w, "Count" + A(), total - 1);
        }
    }

    // The procedure installed on hooked windows.
    static LRESULT Dispatch(HWND w, uint32_t msg, WPARAM wp, LPARAM lp) {
        const ProcAddress prev = Get(w, "Prev" + A());
        const intptr_t n = Get(w, MsgCount(msg));
        LRESULT result = 0;
        auto callPrev = [&] { return prev ? ws_->CallWindowProc(prev, w, msg, wp, lp) : 0; };
        if (n <= 0) {
            result = callPrev();
        } else {
            std::vector<ISubclass*> subs;
            for (intptr_t i = 1; i <= n; ++i)
                if (auto* s = reinterpret_cast<ISubclass*>(Get(w, Entry(msg, i)))) {
                    s->AddRef();
                    subs.push_back(s);
                }
            bool wantPrev = false;
            for (ISubclass* s : subs) {
                switch (s->MsgResponse(w, msg)) {
                    case 0: wantPrev = true; break;
                    case 1: result = s->WindowProc(w, msg, wp, lp); break;
                    case 2:
                        result = s->WindowProc(w, msg, wp, lp);
                        wantPrev = true;
                        break;
                    default: break;
                }
            }
            if (wantPrev) result = callPrev();
            for (ISubclass* s : subs)
                if (s->MsgResponse(w, msg) == 0) result = s->WindowProc(w, msg, wp, lp);
            for (ISubclass* s : subs) s->Release();
        }
        if (msg == winmsg::WM_DESTROY) Unhook(w);
        return result;
    }

private:
    static intptr_t Get(HWND w, const std::string& name) { return ws_->GetProp(w, name); }
    static void Set(HWND w, const std::string& name, intptr_t v) { ws_->SetProp(w, name, v); }
    static intptr_t Identity(ISubclass* who) { return reinterpret_cast<intptr_t>(who); }
    static std::string MsgCount(uint32_t msg) { return "Msg" + A() + "#" + std::to_string(msg) + "Count"; }
    static std::string Entry(uint32_t msg, intptr_t i) {
        return "Msg" + A() + "#" + std::to_string(msg) + "#" + std::to_string(i);
    }

    static void Hook(HWND w) {
        if (Get(w, "Prev" + A()) != 0) return;
        if (w == 0 || !ws_->IsWindow(w)) throw forms::RuntimeError(13080, "Invalid window");
        if (ws_->GetWindowProcessId(w) != ws_->GetCurrentProcessId())
            throw forms::RuntimeError(13081, "Can't modify external window");
        const ProcAddress old = ws_->SetWindowProc(w, DispatcherAddress());
        if (old == 0) throw forms::RuntimeError(13082, "Can't subclass window");
        Set(w, "Prev" + A(), old);
        Set(w, "Next" + std::to_string(old), DispatcherAddress());
    }

    static void Unhook(HWND w) {
        const ProcAddress prev = Get(w, "Prev" + A());
        const ProcAddress next = Get(w, "Next" + A());
        if (next != 0) {
            // A later copy sits over this one: let it pass straight to prev.
            Set(w, "Next" + std::to_string(prev), next);
            Set(w, "Prev" + std::to_string(next), prev);
            ws_->RemoveProp(w, "Next" + A());
        } else if (Get(w, "Next" + std::to_string(prev)) == DispatcherAddress()) {
            // The entry that links prev to this copy goes too; left behind,
            // it would later be taken as a hook of a copy that has none.
            ws_->RemoveProp(w, "Next" + std::to_string(prev));
        }
        ws_->RemoveProp(w, "Prev" + A());
        if (ws_->GetWindowProc(w) == DispatcherAddress() && prev != 0) ws_->SetWindowProc(w, prev);
    }

    static inline winmsg::WindowSystem* ws_ = nullptr;
};

}  // namespace pz::sizeward

#pragma once
// A window system in memory: windows with properties and procedures, some
// of them "owned" by another process, and a log of what reached each
// window's own procedure.
#include <map>
#include <string>
#include <vector>

#include "platform/winmsg/winmsg.h"

namespace pz::test {

class FakeWindows : public winmsg::WindowSystem {
public:
    struct Window {
        std::map<std::string, intptr_t> props;
        winmsg::ProcAddress proc = 0;
        uint32_t pid = 100;
        winmsg::RECT rect{10, 20, 810, 620};
    };
    static inline std::vector<std::pair<winmsg::HWND, uint32_t>> ownLog;   // messages the windows' own procedures saw
    static winmsg::LRESULT OwnProc(winmsg::HWND w, uint32_t msg, winmsg::WPARAM, winmsg::LPARAM) {
        ownLog.emplace_back(w, msg);
        return 7;   // the own procedure's answer
    }

    winmsg::HWND Create(uint32_t pid = 100) {
        const winmsg::HWND h = next_++;
        windows[h].proc = winmsg::AddressOf(&OwnProc);
        windows[h].pid = pid;
        return h;
    }
    winmsg::LRESULT Send(winmsg::HWND w, uint32_t msg, winmsg::WPARAM wp = 0, winmsg::LPARAM lp = 0) {
        return CallWindowProc(windows[w].proc, w, msg, wp, lp);
    }

    intptr_t GetProp(winmsg::HWND w, const std::string& n) override {
        auto it = windows.find(w);
        if (it == windows.end()) return 0;
        auto p = it->second.props.find(n);
        return p == it->second.props.end() ? 0 : p->second;
    }
    void SetProp(winmsg::HWND w, const std::string& n, intptr_t v) override {
        if (windows.count(w)) windows[w].props[n] = v;
    }
    void RemoveProp(winmsg::HWND w, const std::string& n) override {
        if (windows.count(w)) windows[w].props.erase(n);
    }
    winmsg::ProcAddress SetWindowProc(winmsg::HWND w, winmsg::ProcAddress p) override {
        if (!windows.count(w) || refuseSubclass) return 0;
        const auto old = windows[w].proc;
        windows[w].proc = p;
        return old;
    }
    winmsg::ProcAddress GetWindowProc(winmsg::HWND w) override { return windows.count(w) ? windows[w].proc : 0; }
    bool IsWindow(winmsg::HWND w) override { return windows.count(w) > 0; }
    uint32_t GetWindowProcessId(winmsg::HWND w) override { return windows.count(w) ? windows[w].pid : 0; }
    uint32_t GetCurrentProcessId() override { return 100; }
    bool GetWindowRect(winmsg::HWND w, winmsg::RECT* r) override {
        if (!windows.count(w)) return false;
        *r = windows[w].rect;
        return true;
    }

    std::map<winmsg::HWND, Window> windows;
    bool refuseSubclass = false;

private:
    winmsg::HWND next_ = 500;
};

}  // namespace pz::test

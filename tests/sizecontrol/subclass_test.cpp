#include <gtest/gtest.h>

#include "sizecontrol/fakewindows.h"
#include "sizecontrol/modsubclass.h"

namespace pz::sizeward {

namespace {

using C1 = modSubclass<101>;
using C2 = modSubclass<102>;

struct Recorder : ISubclass {
    explicit Recorder(int32_t response, LRESULT value = 0) : response(response), value(value) {}
    int32_t MsgResponse(HWND, uint32_t) override { return response; }
    LRESULT WindowProc(HWND, uint32_t msg, WPARAM, LPARAM) override {
        calls.push_back(msg);
        order->push_back(this);
        return value;
    }
    void AddRef() override { ++refs; }
    void Release() override { --refs; }
    int32_t response;
    LRESULT value;
    int refs = 0;
    std::vector<uint32_t> calls;
    std::vector<Recorder*>* order = &sharedOrder;
    static inline std::vector<Recorder*> sharedOrder;
};

class Subclassing : public testing::Test {
protected:
    void SetUp() override {
        C1::SetWindowSystem(&ws);
        C2::SetWindowSystem(&ws);
        test::FakeWindows::ownLog.clear();
        Recorder::sharedOrder.clear();
        w = ws.Create();
    }
    std::string A1() { return C1::A(); }
    // Sends msg with the subscribers' and the window's own logs emptied first.
    LRESULT SendAfresh(uint32_t msg) {
        test::FakeWindows::ownLog.clear();
        Recorder::sharedOrder.clear();
        return ws.Send(w, msg);
    }
    test::FakeWindows ws;
    HWND w = 0;
};

}  // namespace

TEST_F(Subclassing, PropertyNamesAreKeyedWithTheDispatcherAddress) {
    Recorder r(1);
    C1::AttachMessage(&r, w, 36);
    const intptr_t own = winmsg::AddressOf(&test::FakeWindows::OwnProc), d = C1::DispatcherAddress();
    EXPECT_EQ(A1(), std::to_string(d));
    EXPECT_EQ(ws.windows[w].props, (std::map<std::string, intptr_t>{{"Prev" + A1(), own}, {"Next" + std::to_string(own), d},
                                                                   {"Count" + A1(), 1}, {"Msg" + A1() + "#36Count", 1},
                                                                   {"Msg" + A1() + "#36#1", intptr_t(&r)}}));
    EXPECT_EQ(ws.GetWindowProc(w), d);
}

TEST_F(Subclassing, SubscribersInOrderOnceEachDetachingTheMiddleAndTheLast) {
    Recorder a(0), b(0), c(0);
    C1::AttachMessage(&a, w, 36);
    C1::AttachMessage(&a, w, 36);   // twice: one entry
    EXPECT_EQ(ws.GetProp(w, "Msg" + A1() + "#36Count"), 1);
    C1::AttachMessage(&b, w, 36);
    C1::AttachMessage(&c, w, 36);
    C1::AttachMessage(&a, w, 532);   // a second message: counted, not hooked again
    EXPECT_EQ(ws.GetProp(w, "Count" + A1()), 2);
    C1::DetachMessage(&b, w, 36);
    EXPECT_EQ((std::array{ws.GetProp(w, "Msg" + A1() + "#36Count"), ws.GetProp(w, "Msg" + A1() + "#36#2"),
                          ws.GetProp(w, "Msg" + A1() + "#36#3")}),
              (std::array{intptr_t(2), intptr_t(&c), intptr_t(0)}));
    // Not registered: nothing changes.
    const auto before = ws.windows[w].props;
    C1::DetachMessage(&b, w, 36);
    Recorder stranger(0);
    C1::DetachMessage(&stranger, w, 532);
    EXPECT_EQ(ws.windows[w].props, before);
    // Only the last detach puts the window back, leaving no property behind.
    C1::DetachMessage(&a, w, 36);
    C1::DetachMessage(&c, w, 36);
    EXPECT_EQ(ws.GetWindowProc(w), C1::DispatcherAddress());
    C1::DetachMessage(&a, w, 532);
    EXPECT_EQ(ws.GetWindowProc(w), winmsg::AddressOf(&test::FakeWindows::OwnProc));
    EXPECT_TRUE(ws.windows[w].props.empty()) << ws.windows[w].props.size();
}

TEST_F(Subclassing, HookingErrors) {
    Recorder a(1);
    auto error = [&](HWND h) -> std::string {
        try {
            C1::AttachMessage(&a, h, 36);
        } catch (const forms::RuntimeError& e) {
            return std::to_string(e.Number) + " " + e.Source;
        }
        return "none";
    };
    EXPECT_EQ(error(0), "13080 Invalid window");
    const HWND foreign = ws.Create(999);
    EXPECT_EQ(error(foreign).substr(0, 5), "13081");
    EXPECT_TRUE(ws.windows[foreign].props.empty());
    ws.refuseSubclass = true;
    EXPECT_EQ(error(w).substr(0, 5), "13082");
    EXPECT_TRUE(ws.windows[w].props.empty());
}

TEST_F(Subclassing, DispatchAnswersAndCallsThePreviousProcedureAtMostOnce) {
    Recorder instead(1, 11);
    C1::AttachMessage(&instead, w, 36);
    EXPECT_EQ(ws.Send(w, 36), 11);
    EXPECT_TRUE(test::FakeWindows::ownLog.empty());   // 1: instead of the previous procedure
    EXPECT_EQ(instead.refs, 0);                       // references released
    // Unsubscribed messages pass straight through.
    EXPECT_EQ(ws.Send(w, 15), 7);
    EXPECT_EQ(test::FakeWindows::ownLog.size(), 1u);

    Recorder after(0, 22), before(2, 33);
    C1::AttachMessage(&after, w, 36);
    C1::AttachMessage(&before, w, 36);
    // 1 and 2 answer first, the previous procedure runs once, then 0.
    EXPECT_EQ(SendAfresh(36), 22);
    EXPECT_EQ(test::FakeWindows::ownLog.size(), 1u);
    EXPECT_EQ(Recorder::sharedOrder, (std::vector<Recorder*>{&instead, &before, &after}));
}

TEST_F(Subclassing, DestroyUnhooksButKeepsSubscriptions) {
    Recorder a(1);
    const auto own = ws.GetWindowProc(w);
    C1::AttachMessage(&a, w, 36);
    ws.Send(w, winmsg::WM_DESTROY);
    EXPECT_EQ(ws.GetWindowProc(w), own);
    EXPECT_EQ((std::array{ws.GetProp(w, "Prev" + A1()), ws.GetProp(w, "Msg" + A1() + "#36Count")}),
              (std::array<intptr_t, 2>{0, 1}));
    C1::DetachMessage(&a, w, 36);   // the subscriber detaches later; harmless
    EXPECT_EQ(ws.GetWindowProc(w), own);
}

TEST_F(Subclassing, TwoCopiesChainAndUnhookInEitherOrder) {
    const auto own = ws.GetWindowProc(w);
    for (bool firstGoesFirst : {true, false}) {
        Recorder a(0, 1), b(0, 2);
        C1::AttachMessage(&a, w, 36);
        C2::AttachMessage(&b, w, 36);
        EXPECT_EQ(ws.GetWindowProc(w), C2::DispatcherAddress());
        EXPECT_EQ(ws.GetProp(w, "Next" + C1::A()), C2::DispatcherAddress());
        SendAfresh(36);
        EXPECT_EQ(Recorder::sharedOrder, (std::vector<Recorder*>{&a, &b}));
        EXPECT_EQ(test::FakeWindows::ownLog.size(), 1u);
        if (firstGoesFirst) {
            C1::DetachMessage(&a, w, 36);
            EXPECT_EQ(ws.GetWindowProc(w), C2::DispatcherAddress());   // the later copy stays on top
            EXPECT_EQ(ws.GetProp(w, "Prev" + C2::A()), own);          // and now passes straight on
            SendAfresh(36);
            EXPECT_EQ(Recorder::sharedOrder, (std::vector<Recorder*>{&b}));
            EXPECT_EQ(test::FakeWindows::ownLog.size(), 1u);
            C2::DetachMessage(&b, w, 36);
        } else {
            C2::DetachMessage(&b, w, 36);
            EXPECT_EQ(ws.GetWindowProc(w), C1::DispatcherAddress());
            SendAfresh(36);
            EXPECT_EQ(Recorder::sharedOrder, (std::vector<Recorder*>{&a}));
            C1::DetachMessage(&a, w, 36);
        }
        EXPECT_EQ(ws.GetWindowProc(w), own);
        EXPECT_TRUE(ws.windows[w].props.empty()) << ws.windows[w].props.size();
        // Both copies can hook the window again afterwards.
        Recorder c(1, 5);
        C2::AttachMessage(&c, w, 36);
        EXPECT_EQ(ws.GetWindowProc(w), C2::DispatcherAddress());
        EXPECT_EQ(ws.Send(w, 36), 5);
        C2::DetachMessage(&c, w, 36);
    }
}

}  // namespace pz::sizeward

#include <array>
#include <charconv>
#include <gtest/gtest.h>
#include <map>

#include "platform/forms/qtforms.h"
#include "sizecontrol/fakewindows.h"
#include "sizecontrol/minmax.h"

namespace pz::sizeward {

namespace {

struct FakeHost : forms::HostServices {
    explicit FakeHost(test::FakeWindows& ws, HWND parent) : ws(ws), parent(parent) {}
    HWND ParentHwnd() override { return parent; }
    bool UserMode() override { return userMode; }
    void PropertyChanged(const std::string& n) override { changed.push_back(n); }
    float TwipsPerPixelX() override { return 15; }
    float TwipsPerPixelY() override { return 12; }
    void SetExtent(int32_t w, int32_t h) override { extent = {w, h}; }
    winmsg::WindowSystem& Windows() override { return ws; }
    test::FakeWindows& ws;
    HWND parent;
    bool userMode = true;
    std::vector<std::string> changed;
    std::pair<int32_t, int32_t> extent{0, 0};
};

struct MapBag : forms::PropertyBag {
    std::map<std::string, std::string> values;
    std::vector<std::string> order;
    // The stored text of n, or nullptr where the default holds; n is noted as read.
    const std::string* Find(const std::string& n) {
        order.push_back(n);
        auto it = values.find(n);
        return it == values.end() ? nullptr : &it->second;
    }
    bool ReadLong(const std::string& n, int32_t def, int32_t& out) override {
        const std::string* v = Find(n);
        int32_t x = def;
        if (v && std::from_chars(v->data(), v->data() + v->size(), x).ec != std::errc()) return false;
        out = x;
        return true;
    }
    bool ReadBool(const std::string& n, bool def, bool& out) override {
        const std::string* v = Find(n);
        if (v && *v != "True" && *v != "False") return false;
        out = v ? *v == "True" : def;
        return true;
    }
    void WriteLong(const std::string& n, int32_t v, int32_t def) override {
        order.push_back(n);
        if (v != def) values[n] = std::to_string(v);
    }
    void WriteBool(const std::string& n, bool v, bool def) override {
        order.push_back(n);
        if (v != def) values[n] = v ? "True" : "False";
    }
};

// Every field of a size-limit answer.
std::array<int32_t, 8> Fields(const winmsg::MINMAXINFO& i) {
    return {i.ptMinTrackSize.x, i.ptMinTrackSize.y, i.ptMaxTrackSize.x, i.ptMaxTrackSize.y,
            i.ptMaxSize.x,      i.ptMaxSize.y,      i.ptMaxPosition.x,  i.ptMaxPosition.y};
}

int ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const forms::RuntimeError& e) {
        return e.Number;
    }
    return 0;
}

class MinMaxTest : public testing::Test {
protected:
    test::FakeWindows ws;
    HWND w = ws.Create();
    FakeHost host{ws, w};
    MinMax m{host};
    void SetUp() override { m.InitProperties(); }
    bool Subscribed(uint32_t msg) {
        return ws.GetProp(w, "Msg" + Subclass::A() + "#" + std::to_string(msg) + "Count") > 0;
    }
};

}  // namespace

TEST_F(MinMaxTest, NewInstanceDefaults) {
    EXPECT_EQ((std::array{m.MinimumWidth(), m.MinimumHeight(), m.IncrementX(), m.IncrementY(), m.MaximumWidth(),
                          m.MaximumHeight(), m.MaximizedWidth(), m.MaximizedHeight(), m.MaximizedLeft(), m.MaximizedTop()}),
              (std::array<int32_t, 10>{320, 200, 1, 1, 0, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(m.Enabled());
    EXPECT_FALSE(m.UseMaximizedPosition());
    EXPECT_TRUE(ws.windows[w].props.empty());   // nothing attached
}

TEST_F(MinMaxTest, SizeRulesChainThroughEachOther) {
    // Each step sets the minimum, the maximum or the maximised size and is
    // followed by all three; heights follow the same rules as widths. Zero
    // stores zero and touches nothing else.
    enum { Min, Max, Maxed };
    const struct { int set; int32_t value, min, max, maxed; } steps[] = {
        {Min, 320, 320, 0, 0},     {Max, 400, 320, 400, 0},   {Min, 500, 500, 500, 0},   {Max, 0, 500, 0, 0},
        {Min, 600, 600, 0, 0},     {Min, 320, 320, 0, 0},     {Max, 300, 300, 300, 0},   {Min, 320, 320, 320, 0},
        {Max, 600, 320, 600, 0},   {Maxed, 800, 320, 800, 800}, {Max, 0, 320, 0, 800},   {Min, 900, 900, 0, 900},
        {Maxed, 800, 800, 0, 800}, {Max, 700, 700, 700, 700}, // lowering the maximum pulls both down
        {Max, 0, 700, 0, 700},     {Min, 0, 0, 0, 700},       {Maxed, 0, 0, 0, 0},
    };
    using Set = void (MinMax::*)(int32_t);
    const Set sets[2][3] = {{&MinMax::SetMinimumWidth, &MinMax::SetMaximumWidth, &MinMax::SetMaximizedWidth},
                            {&MinMax::SetMinimumHeight, &MinMax::SetMaximumHeight, &MinMax::SetMaximizedHeight}};
    for (int axis : {0, 1})
        for (const auto& s : steps) {
            (m.*sets[axis][s.set])(s.value);
            const auto got = axis == 0 ? std::array{m.MinimumWidth(), m.MaximumWidth(), m.MaximizedWidth()}
                                       : std::array{m.MinimumHeight(), m.MaximumHeight(), m.MaximizedHeight()};
            EXPECT_EQ(got, (std::array{s.min, s.max, s.maxed})) << (axis ? "height " : "width ") << s.set << " " << s.value;
        }
}

TEST_F(MinMaxTest, ErrorsChangeNothing) {
    EXPECT_EQ(ErrorOf([&] { m.SetIncrementX(0); }), 380);
    EXPECT_EQ(ErrorOf([&] { m.SetMinimumWidth(-1); }), 380);
    EXPECT_EQ(ErrorOf([&] { m.SetMaximizedHeight(-5); }), 380);
    EXPECT_EQ(ErrorOf([&] { m.SetCurrentWidth(100); }), 382);
    host.userMode = false;
    EXPECT_EQ(ErrorOf([&] { m.SetCurrentHeight(100); }), 387);
    EXPECT_EQ(ErrorOf([&] { m.SetMaximizedLeft(-4); }), 0);   // any value
    EXPECT_EQ((std::array{m.IncrementX(), m.MinimumWidth(), m.MaximizedHeight(), m.CurrentWidth(), m.CurrentHeight()}),
              (std::array{1, 320, 0, 800, 600}));
}

TEST_F(MinMaxTest, EveryWriterButCurrentSizeMarksItsProperty) {
    host.changed.clear();
    m.SetMinimumWidth(500);
    m.SetUseMaximizedPosition(true);
    m.SetMaximizedTop(3);
    ErrorOf([&] { m.SetCurrentWidth(1); });
    EXPECT_EQ(host.changed, (std::vector<std::string>{"MinimumWidth", "UseMaximizedPosition", "MaximizedTop"}));
}

TEST_F(MinMaxTest, EnabledSubscribesToTheSizeLimitAndSizingOnlyWithIncrements) {
    m.SetEnabled(true);
    EXPECT_TRUE(Subscribed(36) && !Subscribed(532));
    m.SetIncrementY(5);
    EXPECT_TRUE(Subscribed(532));
    m.SetIncrementY(1);
    EXPECT_FALSE(Subscribed(532));
    // The size-limit query is answered by the control alone.
    test::FakeWindows::ownLog.clear();
    winmsg::MINMAXINFO info;
    info.ptMaxSize = {1920, 1080};
    info.ptMaxTrackSize = {5000, 5000};
    ws.Send(w, 36, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_TRUE(test::FakeWindows::ownLog.empty());
    EXPECT_EQ(Fields(info), (std::array<int32_t, 8>{320, 200, 5000, 5000, 1920, 1080, 0, 0}));
    // Sizing goes to the window first, then the control adjusts.
    m.SetIncrementX(10);
    winmsg::RECT r{100, 100, 100 + 334, 400};
    ws.Send(w, 532, winmsg::WMSZ_RIGHT, reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(test::FakeWindows::ownLog.size(), 1u);
    EXPECT_EQ(r.right - r.left, 330);
    m.SetEnabled(false);
    EXPECT_FALSE(Subscribed(36));
    EXPECT_EQ(ws.GetWindowProc(w), winmsg::AddressOf(&test::FakeWindows::OwnProc));
    // Enabling without a window reports 13080 and stays enabled.
    host.parent = 0;
    EXPECT_EQ(ErrorOf([&] { m.SetEnabled(true); }), 13080);
    EXPECT_TRUE(m.Enabled());
}

TEST_F(MinMaxTest, PersistenceInOrderWithDefaults) {
    MapBag bag;
    m.SetMinimumWidth(468);
    m.SetMinimumHeight(350);
    m.SetIncrementX(4);
    m.SetUseMaximizedPosition(true);
    m.WriteProperties(bag);
    const std::vector<std::string> order = {
        "MaximumWidth",    "MaximumHeight", "MinimumWidth", "MinimumHeight", "MaximizedLeft", "MaximizedTop",
        "MaximizedWidth", "MaximizedHeight", "IncrementX", "IncrementY", "Enabled", "UseMaximizedPosition"};
    EXPECT_EQ(bag.order, order);
    EXPECT_EQ(bag.values, (std::map<std::string, std::string>{{"MinimumWidth", "468"},
                                                              {"MinimumHeight", "350"},
                                                              {"IncrementX", "4"},
                                                              {"UseMaximizedPosition", "True"}}));
    MinMax back(host);
    bag.order.clear();
    back.ReadProperties(bag);
    EXPECT_EQ(bag.order, order);
    EXPECT_EQ((std::array{back.MinimumWidth(), back.MinimumHeight(), back.IncrementX(), back.MaximumWidth()}),
              (std::array{468, 350, 4, 0}));
    EXPECT_TRUE(back.UseMaximizedPosition());
}

TEST_F(MinMaxTest, ReadingNeverFailsVisibly) {
    // Unreadable values keep the field; a failed attach clears Enabled. (The
    // game's own properties, read and attached, are the library test's.)
    MapBag broken;
    broken.values = {{"MinimumWidth", "wide"}, {"IncrementX", "3"}, {"Enabled", "True"}};
    FakeHost nowhere(ws, 0);
    MinMax lost(nowhere);
    lost.ReadProperties(broken);
    EXPECT_EQ((std::array{lost.MinimumWidth(), lost.IncrementX()}), (std::array{320, 3}));
    EXPECT_FALSE(lost.Enabled());
}

TEST(SizeRules, SizeLimitQuery) {
    SizeLimits game;
    game.MinimumWidth = 468;
    game.MinimumHeight = 350;
    winmsg::MINMAXINFO info;
    info.ptMaxSize = {1920, 1050};
    info.ptMaxPosition = {0, 30};
    info.ptMaxTrackSize = {4000, 3000};
    ApplyMinMaxInfo(game, info);   // only the minimum is set: the rest as the system gave it
    EXPECT_EQ(Fields(info), (std::array<int32_t, 8>{468, 350, 4000, 3000, 1920, 1050, 0, 30}));
    SizeLimits all;
    all.MaximumWidth = 1000, all.MaximumHeight = 900, all.MaximizedWidth = 800, all.MaximizedHeight = 700;
    all.UseMaximizedPosition = true, all.MaximizedLeft = -4, all.MaximizedTop = -4;
    ApplyMinMaxInfo(all, info);
    EXPECT_EQ(Fields(info), (std::array<int32_t, 8>{320, 200, 1000, 900, 800, 700, -4, -4}));
}

TEST(SizeRules, SizingSnapsFromTheMinimum) {
    SizeLimits s;
    s.MinimumWidth = 320;
    s.IncrementX = 10;
    // The width snaps to the nearest step counted from the minimum (15 below
    // it truncates toward zero); a drag of the right edge keeps the left one.
    for (auto [step, w, want] : {std::tuple{10, 334, 330}, {10, 335, 340}, {10, 305, 310}, {7, 330, 327}, {7, 331, 334}}) {
        s.IncrementX = step;
        winmsg::RECT r{100, 50, 100 + w, 450};
        ApplySizingRect(s, r, winmsg::WMSZ_RIGHT);
        EXPECT_EQ((std::array{r.left, r.right}), (std::array{100, 100 + want})) << step << ": " << w;
    }
    // Every edge code with both increments above 1: the width 334 snaps to
    // 330, the height 213 to 214, and only the dragged sides move.
    s.IncrementX = 10, s.IncrementY = 7, s.MinimumHeight = 200;
    const struct { uint32_t edge; int32_t left, top, right, bottom; } edges[] = {
        {winmsg::WMSZ_LEFT, 104, 50, 434, 263},       {winmsg::WMSZ_RIGHT, 100, 50, 430, 263},
        {winmsg::WMSZ_TOP, 100, 49, 434, 263},        {winmsg::WMSZ_TOPLEFT, 104, 49, 434, 263},
        {winmsg::WMSZ_TOPRIGHT, 100, 49, 430, 263},   {winmsg::WMSZ_BOTTOM, 100, 50, 434, 264},
        {winmsg::WMSZ_BOTTOMLEFT, 104, 50, 434, 264}, {winmsg::WMSZ_BOTTOMRIGHT, 100, 50, 430, 264},
    };
    for (const auto& x : edges) {
        winmsg::RECT r{100, 50, 434, 263};
        ApplySizingRect(s, r, x.edge);
        EXPECT_EQ((std::array{r.left, r.top, r.right, r.bottom}), (std::array{x.left, x.top, x.right, x.bottom}))
            << "edge " << x.edge;
    }
    // An unknown edge changes nothing; increments of 1 keep the size; extreme
    // values do not overflow.
    SizeLimits plain, huge;
    huge.IncrementX = huge.MinimumWidth = 2147483647;
    for (auto [limits, edge, right] :
         {std::tuple{s, uint32_t(9), 333}, {plain, winmsg::WMSZ_BOTTOMRIGHT, 333}, {huge, winmsg::WMSZ_RIGHT, 2147483647}}) {
        winmsg::RECT r{0, 0, 333, 333};
        ApplySizingRect(limits, r, edge);
        EXPECT_EQ(r.right, right) << edge;
    }
}

TEST(ControlLibrary, CreatedByClassIdentifierFromTheSharedLibrary) {
    test::FakeWindows ws;
    const HWND w = ws.Create();
    forms::SectionBag bag(forms::ParseFormData("; form data\n[MinMax]\nClass=SizewardLib6.MinMax\n"
                                               "MinimumWidth=468\nMinimumHeight=350\nEnabled=True\n")["MinMax"]);
    QString error;
    auto control = forms::CreateControl("SizewardLib6.MinMax", bag, w, ws, &error);
    ASSERT_TRUE(control) << error.toStdString();
    // The library's own copy of the chain hooked the window...
    EXPECT_NE(ws.GetWindowProc(w), winmsg::AddressOf(&test::FakeWindows::OwnProc));
    winmsg::MINMAXINFO info;
    ws.Send(w, 36, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(Fields(info), (std::array<int32_t, 8>{468, 350, 0, 0, 0, 0, 0, 0}));   // the minimum read
    // ...and is 32 x 32 pixels.
    EXPECT_EQ(control->ExtentTwips(), QSize(int(32 * control->TwipsPerPixelX()), int(32 * control->TwipsPerPixelY())));
    control.reset();   // terminates: the window is itself again
    EXPECT_EQ(ws.GetWindowProc(w), winmsg::AddressOf(&test::FakeWindows::OwnProc));
    EXPECT_FALSE(forms::CreateControl("SizewardLib6.Nothing", bag, w, ws, &error));
    EXPECT_FALSE(forms::CreateControl("OtherLib.MinMax", bag, w, ws, &error));
}

}  // namespace pz::sizeward

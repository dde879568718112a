#include "game/persist/settings.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "game/model/colors.h"
#include "game/model/numbers.h"

namespace pz {

namespace {

std::string Trim(const std::string& t) {
    size_t a = 0, b = t.size();
    while (a < b && std::isspace(static_cast<unsigned char>(t[a]))) ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(t[b - 1]))) --b;
    return t.substr(a, b - a);
}

std::string Lower(std::string t) {
    for (char& c : t) c = char(std::tolower(static_cast<unsigned char>(c)));
    return t;
}

std::optional<double> ParseNumber(const std::string& text) {
    const std::string t = Trim(text);
    if (t.empty() || t.size() > 64) return std::nullopt;
    // Plain decimal only: digits, one point, an optional sign and exponent.
    for (char c : t)
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' ||
              c == 'e' || c == 'E'))
            return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(t.c_str(), &end);
    if (end != t.c_str() + t.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

class Reader {
public:
    explicit Reader(const SettingsStore& s) : store_(s) {}
    bool Bool(const char* key, bool def) const {
        auto t = store_.Get(key);
        if (!t) return def;
        return ParseBoolText(*t).value_or(def);
    }
    long long Whole(const char* key, long long def, long long lo, long long hi) const {
        auto t = store_.Get(key);
        if (!t) return def;
        auto v = ParseWholeText(*t);
        return (v && *v >= lo && *v <= hi) ? *v : def;
    }
    std::string Text(const char* key) const { return store_.Get(key).value_or(std::string()); }

private:
    const SettingsStore& store_;
};

uint8_t Part(const Reader& r, const char* key, uint8_t def) {
    return uint8_t(r.Whole(key, def, 0, 255));
}

int32_t ColourValue(const Reader& r, const char* key, int32_t def) {
    return int32_t(r.Whole(key, def, 0, 0xFFFFFF));
}

std::string Num(long long v) { return std::to_string(v); }

// The keys of one colour: its parts, then the colour, then (where it has
// one stored) its fill. A missing colour is made from the parts read, or is
// the default's own when it does not follow them.
Colour ReadColour(const Reader& r, const std::string& name, const Colour& def, bool fromParts = true,
                  bool hasFill = true) {
    Colour c;
    c.Red = Part(r, (name + " Red").c_str(), def.Red);
    c.Green = Part(r, (name + " Green").c_str(), def.Green);
    c.Blue = Part(r, (name + " Blue").c_str(), def.Blue);
    const Colour made = fromParts ? MakeColour(c.Red, c.Green, c.Blue) : def;
    c.Color = ColourValue(r, (name + " Color").c_str(), made.Color);
    c.ColorFill = hasFill ? ColourValue(r, (name + " Color Fill").c_str(), made.ColorFill) : made.ColorFill;
    return c;
}

}  // namespace

std::optional<bool> ParseBoolText(const std::string& text) {
    const std::string t = Lower(Trim(text));
    if (t == "true") return true;
    if (t == "false") return false;
    if (auto v = ParseNumber(t)) return *v != 0.0;
    return std::nullopt;
}

std::optional<long long> ParseWholeText(const std::string& text) {
    auto v = ParseNumber(text);
    if (!v || std::fabs(*v) > 9e15) return std::nullopt;
    return static_cast<long long>(RoundHalfEven(*v));
}

std::string BoolText(bool v) { return v ? "True" : "False"; }

bool IsCuttablePieceCount(long long n) {
    if (n < 4 || n > 600) return false;
    for (long long d = 2; d <= n / 2; ++d)
        if (n % d == 0) return true;
    return false;
}

void LoadSettings(const SettingsStore& store, Settings& s) {
    const Reader r(store);
    s.SystemMemory = r.Bool("System Memory", false);
    s.TimePuzzle = r.Bool("Time Puzzle", true);
    s.InitDir = r.Text("InitDir");
    s.PiecesListIndex = int16_t(r.Whole("List Index", 21, 0, 97));

    s.Background = ReadColour(r, "Background", MakeColour(212, 208, 200));
    s.Outline = ReadColour(r, "Outline", MakeColour(255, 255, 255));
    // The caption's colours do not follow from their parts when missing.
    s.PreviewCaptionBack = ReadColour(r, "Preview Caption Background", MakeColour(0, 0, 0), false);
    s.PreviewCaptionText = ReadColour(r, "Preview Caption Text", MakeColour(255, 255, 255), false, false);

    s.OutlinePieces = r.Bool("Outline Pieces", true);
    s.ViewPreview = r.Bool("View Preview", true);
    s.PreviewSize = uint8_t(r.Whole("Preview Size", 3, 2, 4));
    const long long n = r.Whole("Number of Pieces", 64, 4, 600);
    s.NumberOfPieces = int16_t(IsCuttablePieceCount(n) ? n : 64);
    s.ResumeLastPuzzle = r.Bool("Resume Last Puzzle", false);
}

namespace {
// The keys of one colour, in the order red, green, blue, colour, fill.
void SaveColour(SettingsStore& st, const std::string& name, const Colour& c, bool withFill = true) {
    st.Save(name + " Red", Num(c.Red));
    st.Save(name + " Green", Num(c.Green));
    st.Save(name + " Blue", Num(c.Blue));
    st.Save(name + " Color", Num(c.Color));
    if (withFill) st.Save(name + " Color Fill", Num(c.ColorFill));
}
}  // namespace

void SaveSetting(SettingsStore& st, const Settings& s, Setting which) {
    switch (which) {
        case Setting::InitDir: return st.Save("InitDir", s.InitDir);
        case Setting::ViewPreview: return st.Save("View Preview", BoolText(s.ViewPreview));
        case Setting::NumberOfPieces: return st.Save("Number of Pieces", Num(s.NumberOfPieces));
        case Setting::PiecesListIndex: return st.Save("List Index", Num(s.PiecesListIndex));
        case Setting::PreviewSize: return st.Save("Preview Size", Num(s.PreviewSize));
        case Setting::OutlinePieces: return st.Save("Outline Pieces", BoolText(s.OutlinePieces));
        case Setting::SystemMemory: return st.Save("System Memory", BoolText(s.SystemMemory));
        case Setting::TimePuzzle: return st.Save("Time Puzzle", BoolText(s.TimePuzzle));
        case Setting::ResumeLastPuzzle: return st.Save("Resume Last Puzzle", BoolText(s.ResumeLastPuzzle));
        case Setting::BackgroundColor: return SaveColour(st, "Background", s.Background);
        case Setting::OutlineColor: return SaveColour(st, "Outline", s.Outline);
        case Setting::PreviewCaptionBackColor:
            return SaveColour(st, "Preview Caption Background", s.PreviewCaptionBack);
        case Setting::PreviewCaptionTextColor:
            return SaveColour(st, "Preview Caption Text", s.PreviewCaptionText, false);
    }
}

}  // namespace pz

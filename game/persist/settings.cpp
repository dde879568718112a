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

int32_t Colour(const Reader& r, const char* key, int32_t def) {
    return int32_t(r.Whole(key, def, 0, 0xFFFFFF));
}

std::string Num(long long v) { return std::to_string(v); }

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

    s.BackgroundRed = Part(r, "Background Red", 212);
    s.BackgroundGreen = Part(r, "Background Green", 208);
    s.BackgroundBlue = Part(r, "Background Blue", 200);
    s.BackgroundColor = Colour(r, "Background Color", RGB(s.BackgroundRed, s.BackgroundGreen, s.BackgroundBlue));
    s.BackgroundColorFill =
        Colour(r, "Background Color Fill", RGBFill(s.BackgroundRed, s.BackgroundGreen, s.BackgroundBlue));

    s.OutlineRed = Part(r, "Outline Red", 255);
    s.OutlineGreen = Part(r, "Outline Green", 255);
    s.OutlineBlue = Part(r, "Outline Blue", 255);
    s.OutlineColor = Colour(r, "Outline Color", RGB(s.OutlineRed, s.OutlineGreen, s.OutlineBlue));
    s.OutlineColorFill = Colour(r, "Outline Color Fill", RGBFill(s.OutlineRed, s.OutlineGreen, s.OutlineBlue));

    s.PreviewCaptionBackRed = Part(r, "Preview Caption Background Red", 0);
    s.PreviewCaptionBackGreen = Part(r, "Preview Caption Background Green", 0);
    s.PreviewCaptionBackBlue = Part(r, "Preview Caption Background Blue", 0);
    s.PreviewCaptionBackColor = Colour(r, "Preview Caption Background Color", 0);
    s.PreviewCaptionBackColorFill = Colour(r, "Preview Caption Background Color Fill", 0);

    s.PreviewCaptionTextRed = Part(r, "Preview Caption Text Red", 255);
    s.PreviewCaptionTextGreen = Part(r, "Preview Caption Text Green", 255);
    s.PreviewCaptionTextBlue = Part(r, "Preview Caption Text Blue", 255);
    s.PreviewCaptionTextColor = Colour(r, "Preview Caption Text Color", 16777215);

    s.OutlinePieces = r.Bool("Outline Pieces", true);
    s.ViewPreview = r.Bool("View Preview", true);
    s.PreviewSize = uint8_t(r.Whole("Preview Size", 3, 2, 4));
    const long long n = r.Whole("Number of Pieces", 64, 4, 600);
    s.NumberOfPieces = int16_t(IsCuttablePieceCount(n) ? n : 64);
}

void SaveInitDir(SettingsStore& st, const Settings& s) { st.Save("InitDir", s.InitDir); }

void SaveViewPreview(SettingsStore& st, const Settings& s) { st.Save("View Preview", BoolText(s.ViewPreview)); }

void SaveNumberOfPieces(SettingsStore& st, const Settings& s) { st.Save("Number of Pieces", Num(s.NumberOfPieces)); }

void SavePreviewSize(SettingsStore& st, const Settings& s) { st.Save("Preview Size", Num(s.PreviewSize)); }

namespace {
// The keys of one colour, in the order red, green, blue, colour, fill.
void SaveColour(SettingsStore& st, const std::string& name, uint8_t r, uint8_t g, uint8_t b, int32_t colour,
                const int32_t* fill) {
    st.Save(name + " Red", Num(r));
    st.Save(name + " Green", Num(g));
    st.Save(name + " Blue", Num(b));
    st.Save(name + " Color", Num(colour));
    if (fill) st.Save(name + " Color Fill", Num(*fill));
}
}  // namespace

void SaveBackgroundColor(SettingsStore& st, const Settings& s) {
    SaveColour(st, "Background", s.BackgroundRed, s.BackgroundGreen, s.BackgroundBlue, s.BackgroundColor,
               &s.BackgroundColorFill);
}

void SaveOutlineColor(SettingsStore& st, const Settings& s) {
    SaveColour(st, "Outline", s.OutlineRed, s.OutlineGreen, s.OutlineBlue, s.OutlineColor, &s.OutlineColorFill);
}

void SavePreviewCaptionBackColor(SettingsStore& st, const Settings& s) {
    SaveColour(st, "Preview Caption Background", s.PreviewCaptionBackRed, s.PreviewCaptionBackGreen,
               s.PreviewCaptionBackBlue, s.PreviewCaptionBackColor, &s.PreviewCaptionBackColorFill);
}

void SavePreviewCaptionTextColor(SettingsStore& st, const Settings& s) {
    SaveColour(st, "Preview Caption Text", s.PreviewCaptionTextRed, s.PreviewCaptionTextGreen,
               s.PreviewCaptionTextBlue, s.PreviewCaptionTextColor, nullptr);
}

}  // namespace pz

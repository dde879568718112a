#include "game/persist/besttimes.h"

#include <sstream>
#include <vector>

#include "game/persist/settings.h"

namespace pz {

namespace {

int32_t Seconds(const BestTimeEntry& e) { return int32_t(e.Hours) * 3600 + int32_t(e.Minutes) * 60 + e.Seconds; }

// Rates are worked out in double precision and kept as singles.
float Rate(int n, int32_t seconds) { return float(double(n) / double(seconds)); }

}  // namespace

bool EntersBestTimes(const BestTimesTable& t, int n, int32_t e) {
    // A result whose clock never ran (a game scrambled from a finished one)
    // would rank as n pieces a second; it is not a time at all.
    if (e <= 0) return false;
    const BestTimeEntry& last = t[BestTimesCount];
    if (last.PieceTotal <= 0) return true;
    const float c = Rate(n, std::max<int32_t>(e, 1));
    const float r = Rate(last.PieceTotal, std::max<int32_t>(Seconds(last), 1));
    return c > r;
}

int InsertBestTime(BestTimesTable& t, int n, int32_t e, const std::string& name, const std::string& picture) {
    if (e <= 0) return 0;
    const float c = Rate(n, std::max<int32_t>(e, 1));
    const BestTimeEntry& last = t[BestTimesCount];
    float r = last.PieceTotal > 0 ? Rate(last.PieceTotal, std::max<int32_t>(Seconds(last), 1)) : 0.0f;
    int i = 1;
    if (Seconds(t[1]) > 0) r = Rate(t[1].PieceTotal, Seconds(t[1]));
    while (i < BestTimesCount && c < r) {
        ++i;
        if (Seconds(t[i]) > 0) r = Rate(t[i].PieceTotal, Seconds(t[i]));
    }
    if (t[i].PieceTotal > 0)
        for (int k = BestTimesCount - 1; k >= i; --k) t[k + 1] = t[k];
    BestTimeEntry& en = t[i];
    en.PlayerName = name;
    const int32_t minutes = e / 60;
    en.Seconds = int16_t(e % 60);
    en.Hours = int16_t(std::min<int32_t>(minutes / 60, 32767));
    en.Minutes = int16_t(minutes % 60);
    en.PieceTotal = int16_t(n);
    en.PictureName = picture;
    return i;
}

void ClearBestTimes(BestTimesTable& t) {
    for (auto& e : t) e = BestTimeEntry{};
}

std::string FormatBestTimes(const BestTimesTable& t) {
    // Strings go between quotes as they are; the reader takes everything
    // between the first and the last quote, so a name holding a quote reads
    // back unchanged. Line breaks cannot be kept and become spaces.
    auto quoted = [](std::string s) {
        for (char& ch : s)
            if (ch == '\r' || ch == '\n') ch = ' ';
        return "\"" + s + "\"\r\n";
    };
    std::string out;
    for (int i = 1; i <= BestTimesCount; ++i) {
        const BestTimeEntry& e = t[i];
        out += quoted(e.PlayerName);
        out += std::to_string(e.Hours) + "\r\n";
        out += std::to_string(e.Minutes) + "\r\n";
        out += std::to_string(e.Seconds) + "\r\n";
        out += std::to_string(e.PieceTotal) + "\r\n";
        out += quoted(e.PictureName);
    }
    return out;
}

BestTimesTable ParseBestTimes(const std::string& text) {
    std::vector<std::string> lines;
    std::string cur;
    for (char ch : text) {
        if (ch == '\n') {
            if (!cur.empty() && cur.back() == '\r') cur.pop_back();
            lines.push_back(cur);
            cur.clear();
        } else {
            cur += ch;
        }
    }
    if (!cur.empty()) lines.push_back(cur);

    auto unquote = [](const std::string& s) {
        const size_t a = s.find('"'), b = s.rfind('"');
        if (a == std::string::npos || b == a) return s;
        return s.substr(a + 1, b - a - 1);
    };
    auto number = [](const std::string& s, long long lo, long long hi, bool& ok) -> int16_t {
        auto v = ParseWholeText(s);
        if (!v || *v < lo || *v > hi) {
            ok = false;
            return 0;
        }
        return int16_t(*v);
    };
    BestTimesTable t{};
    for (int i = 1; i <= BestTimesCount; ++i) {
        const size_t at = size_t(i - 1) * 6;
        if (at + 6 > lines.size()) break;
        bool ok = true;
        BestTimeEntry e;
        e.PlayerName = unquote(lines[at]);
        e.Hours = number(lines[at + 1], 0, 32767, ok);
        e.Minutes = number(lines[at + 2], 0, 59, ok);
        e.Seconds = number(lines[at + 3], 0, 59, ok);
        e.PieceTotal = number(lines[at + 4], 0, 32767, ok);
        e.PictureName = unquote(lines[at + 5]);
        if (ok) t[i] = e;
    }
    return t;
}

std::string ElapsedText(const BestTimeEntry& e) {
    return std::to_string(e.Hours) + ":" + std::to_string(e.Minutes) + ":" + std::to_string(e.Seconds);
}

}  // namespace pz

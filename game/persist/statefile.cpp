#include "game/persist/statefile.h"

#include <cstring>

#include "game/model/invariants.h"

namespace pz {

namespace {

class Writer {
public:
    void Record(const std::string& data) {   // one value per record, zero-padded
        out_ += data;
        out_.append(kRecordSize - data.size(), '\0');
    }
    std::string& bytes() { return out_; }

private:
    std::string out_;
};

void Put16(std::string& s, int v) {
    s.push_back(char(v & 0xff));
    s.push_back(char((v >> 8) & 0xff));
}
void Put32(std::string& s, int32_t v) {
    const uint32_t u = uint32_t(v);
    for (int i = 0; i < 4; ++i) s.push_back(char((u >> (8 * i)) & 0xff));
}
void PutBool(std::string& s, bool b) { Put16(s, b ? -1 : 0); }

std::string I16(int v) {
    std::string s;
    Put16(s, v);
    return s;
}

std::string PieceRecord(const PieceInfo& p) {
    std::string s;
    Put16(s, p.Column);
    Put16(s, p.Row);
    Put16(s, p.Group);
    for (bool b : {p.TopJoined, p.BottomJoined, p.LeftJoined, p.RightJoined, p.TopOut, p.BottomOut, p.LeftOut,
                   p.RightOut})
        PutBool(s, b);
    Put32(s, p.X);
    Put32(s, p.Y);
    Put32(s, p.ImageRect.Left);
    Put32(s, p.ImageRect.Top);
    Put32(s, p.ImageRect.Right);
    Put32(s, p.ImageRect.Bottom);
    Put16(s, p.HomeX);
    Put16(s, p.HomeY);
    return s;
}

std::string GroupRecord(const GroupInfo& g) {
    std::string s;
    PutBool(s, g.InPlace);
    // A list too long for the record keeps only its unused entry 0; the
    // reader rebuilds it from the pieces.
    const bool listed = g.PieceCount <= kMaxListedGroup;
    const int entries = listed ? g.PieceCount + 1 : 1;
    Put16(s, 1);
    Put32(s, entries);
    Put32(s, 0);
    for (int i = 0; i < entries; ++i) Put16(s, i < int(g.PieceList.size()) ? g.PieceList[i] : 0);
    Put16(s, g.PieceCount);
    Put16(s, g.LeftColumn);
    Put16(s, g.RightColumn);
    Put16(s, g.TopRow);
    Put16(s, g.BottomRow);
    return s;
}

class Reader {
public:
    explicit Reader(const std::string& b) : b_(b) {}
    // The start of the next record, with at least `need` bytes in it.
    const unsigned char* Record(size_t need, const char* what) {
        const size_t at = record_ * kRecordSize;
        if (at + need > b_.size())
            throw StateFileError{std::string("the file ends before ") + what + " (record " +
                                 std::to_string(record_ + 1) + ")"};
        ++record_;
        return reinterpret_cast<const unsigned char*>(b_.data()) + at;
    }
    size_t AvailableInRecord() const {
        const size_t at = (record_ - 1) * kRecordSize;
        return std::min(kRecordSize, b_.size() - at);
    }
    int16_t Int(const char* what) { return Get16(Record(2, what)); }
    static int16_t Get16(const unsigned char* p) { return int16_t(uint16_t(p[0] | (p[1] << 8))); }
    static int32_t Get32(const unsigned char* p) {
        return int32_t(uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24));
    }

private:
    const std::string& b_;
    size_t record_ = 0;
};

[[noreturn]] void Bad(const std::string& why) { throw StateFileError{why}; }

void Range(long v, long lo, long hi, const std::string& what) {
    if (v < lo || v > hi)
        Bad(what + " is " + std::to_string(v) + ", outside " + std::to_string(lo) + " to " + std::to_string(hi));
}

}  // namespace

std::string WriteState(const Grid& g, const PuzzleModel& m) {
    if (m.File.ImageFileName.size() > kRecordSize)
        throw StateFileError{"the picture's path is longer than the 128 bytes a state file can hold"};
    Writer w;
    std::string path = m.File.ImageFileName;
    path.append(kRecordSize - path.size(), ' ');
    w.bytes() += path;
    w.Record(I16(g.NumberOfPieces));
    w.Record(I16(g.NumColumns));
    w.Record(I16(g.NumRows));
    w.Record(I16(m.InPlaceCount));
    for (int p = 1; p <= g.NumberOfPieces; ++p) {
        w.Record(PieceRecord(m.Pieces[p]));
        w.Record(GroupRecord(m.Groups[p]));
    }
    for (int i = 1; i <= m.InPlaceCount; ++i) w.Record(I16(m.PiecesInPlace[i]));
    w.Record(I16(m.GroupOrderSize));
    w.Record(I16(m.GroupCount));
    for (int i = 1; i <= m.GroupCount; ++i) w.Record(I16(m.GroupOrder[i]));
    std::string last;
    Put32(last, m.File.ElapsedSeconds);
    w.bytes() += last;   // the last record is not padded
    return w.bytes();
}

namespace {

std::string PathRecord(Reader& r) {
    const unsigned char* p = r.Record(1, "the picture's path");
    std::string path(reinterpret_cast<const char*>(p), r.AvailableInRecord());
    while (!path.empty() && (path.back() == ' ' || path.back() == '\0')) path.pop_back();
    if (path.empty()) Bad("it names no picture");
    if (path.find('\0') != std::string::npos) Bad("the picture's path is damaged");
    return path;
}

void ReadPieceRecord(Reader& r, int p, int n, PieceInfo& pc) {
    const std::string what = "piece " + std::to_string(p);
    const unsigned char* d = r.Record(50, what.c_str());
    pc.Column = Reader::Get16(d);
    pc.Row = Reader::Get16(d + 2);
    pc.Group = Reader::Get16(d + 4);
    bool* flags[8] = {&pc.TopJoined, &pc.BottomJoined, &pc.LeftJoined, &pc.RightJoined,
                      &pc.TopOut,    &pc.BottomOut,    &pc.LeftOut,    &pc.RightOut};
    for (int f = 0; f < 8; ++f) *flags[f] = Reader::Get16(d + 6 + 2 * f) != 0;
    pc.X = Reader::Get32(d + 22);
    pc.Y = Reader::Get32(d + 26);
    pc.ImageRect = RectL{Reader::Get32(d + 30), Reader::Get32(d + 34), Reader::Get32(d + 38), Reader::Get32(d + 42)};
    pc.HomeX = Reader::Get16(d + 46);
    pc.HomeY = Reader::Get16(d + 48);
    Range(pc.Group, 0, n, what + "'s group");
    Range(pc.X, -100000, 100000, what + "'s x");
    Range(pc.Y, -100000, 100000, what + "'s y");
}

// Returns whether the group's list was left out for its size and must be
// rebuilt from the pieces.
bool ReadGroupRecord(Reader& r, int p, int n, GroupInfo& gr) {
    const std::string gwhat = "group " + std::to_string(p);
    const unsigned char* gd = r.Record(12, gwhat.c_str());
    gr.InPlace = Reader::Get16(gd) != 0;
    if (Reader::Get16(gd + 2) != 1 || Reader::Get32(gd + 8) != 0) Bad(gwhat + "'s list header is damaged");
    const int32_t entries = Reader::Get32(gd + 4);
    Range(entries, 1, kMaxListedGroup + 1, gwhat + "'s list length");
    const size_t size = 22 + 2 * size_t(entries);
    if (r.AvailableInRecord() < size) Bad(std::string("the file ends inside ") + gwhat);
    gr.PieceList.assign(size_t(entries), 0);
    for (int i = 0; i < entries; ++i) gr.PieceList[i] = Reader::Get16(gd + 12 + 2 * i);
    const unsigned char* t = gd + 12 + 2 * entries;
    gr.PieceCount = Reader::Get16(t);
    gr.LeftColumn = Reader::Get16(t + 2);
    gr.RightColumn = Reader::Get16(t + 4);
    gr.TopRow = Reader::Get16(t + 6);
    gr.BottomRow = Reader::Get16(t + 8);
    Range(gr.PieceCount, 0, n, gwhat + "'s piece count");
    bool rebuild = false;
    if (gr.PieceCount + 1 != entries) {
        if (entries == 1 && gr.PieceCount > kMaxListedGroup && !gr.InPlace)
            rebuild = true;
        else
            Bad(gwhat + "'s list does not match its piece count");
    }
    for (int i = 1; i < entries; ++i) Range(gr.PieceList[i], 1, n, gwhat + "'s list");
    return rebuild;
}

// A large group's members, ascending, from the pieces.
void RebuildGroupList(PuzzleModel& m, int grp, int n) {
    GroupInfo& gr = m.Groups[grp];
    gr.PieceList.assign(1, 0);
    for (int p = 1; p <= n; ++p)
        if (m.Pieces[p].Group == grp) gr.PieceList.push_back(int16_t(p));
    if (int(gr.PieceList.size()) - 1 != gr.PieceCount)
        Bad("group " + std::to_string(grp) + " does not hold the pieces it counts");
}

// A list of `count` entries, one record each, each a number from 1 to n.
void ReadList(Reader& r, std::vector<int16_t>& list, int count, int n, const char* what, const char* each) {
    list.assign(size_t(count) + 1, 0);
    for (int i = 1; i <= count; ++i) {
        list[i] = r.Int(what);
        Range(list[i], 1, n, each);
    }
}

}  // namespace

LoadedState ReadState(const std::string& bytes) {
    Reader r(bytes);
    LoadedState s;
    s.ImageFileName = PathRecord(r);
    const int n = s.grid.NumberOfPieces = r.Int("the number of pieces");
    Range(n, 4, kMaxStatePieces, "the number of pieces");
    s.grid.NumColumns = r.Int("the number of columns");
    s.grid.NumRows = r.Int("the number of rows");
    Range(s.grid.NumColumns, 2, n, "the number of columns");
    Range(s.grid.NumRows, 2, n, "the number of rows");
    if (long(s.grid.NumColumns) * s.grid.NumRows != n) Bad("its grid does not hold its number of pieces");
    const int k = r.Int("the count of pieces at home");
    Range(k, 0, n, "the count of pieces at home");

    PuzzleModel& m = s.model;
    m.Pieces.assign(size_t(n) + 1, PieceInfo{});
    m.Groups.assign(size_t(n) + 1, GroupInfo{});
    std::vector<int> rebuild;
    for (int p = 1; p <= n; ++p) {
        ReadPieceRecord(r, p, n, m.Pieces[p]);
        if (ReadGroupRecord(r, p, n, m.Groups[p])) rebuild.push_back(p);
    }
    for (int grp : rebuild) RebuildGroupList(m, grp, n);

    m.InPlaceCount = int16_t(k);
    ReadList(r, m.PiecesInPlace, k, n, "the pieces at home", "a piece at home");
    m.GroupOrderSize = r.Int("the size of the stacking order");
    Range(m.GroupOrderSize, 0, kMaxStatePieces, "the size of the stacking order");
    m.GroupCount = r.Int("the count of loose groups");
    Range(m.GroupCount, 0, std::min<int>(n, m.GroupOrderSize), "the count of loose groups");
    ReadList(r, m.GroupOrder, m.GroupCount, n, "the stacking order", "a group in the stacking order");
    m.File.ElapsedSeconds = Reader::Get32(r.Record(4, "the elapsed time"));
    Range(m.File.ElapsedSeconds, 0, 2147483647L, "the elapsed time");
    m.PuzzleComplete = k == n;

    if (auto f = CheckInvariants(s.grid, m, false)) Bad("its pieces and groups do not agree: " + f->message);
    return s;
}

}  // namespace pz

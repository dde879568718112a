#pragma once
// The best-times file, "besttimes.txt" in the program directory.
#include <QString>
#include <optional>
#include <utility>

#include "game/persist/besttimes.h"

namespace pz {

class BestTimesFile {
public:
    // The file at path; without one, "besttimes.txt" of the program
    // directory, looked up at each use.
    explicit BestTimesFile(QString path = {}) : path_(std::move(path)) {}

    // As much of the table as the file holds; nothing when there is no file
    // or it cannot be opened.
    std::optional<BestTimesTable> Read() const;

    // Makes one change (none: just a rewrite) to the table as the file holds
    // it at this moment, so that two games open at once never undo each
    // other's results: under an advisory lock on "besttimes.txt.lock" beside
    // the file it reads the file, applies the change and replaces the file
    // whole. Without a file the change goes to the table in memory; a file
    // there that cannot be read is left as it is, the change made in memory
    // only, and that is told.
    // Returns the table as it now stands; failure is what to tell the player
    // (only the first failure is worth telling), else empty.
    struct Update {
        BestTimesTable table;
        QString failure;
    };
    Update Change(const BestTimesTable& inMemory, const BestTimesChange& change = {});

    // The table this game shows: as last read or changed.
    const BestTimesTable& Table() const { return table_; }
    // Takes the table from the file, when there is one that can be read.
    void Reload() {
        if (auto t = Read()) table_ = *t;
    }
    // One change to the table (none: a rewrite), as Change makes it; returns
    // what to tell the player, else empty.
    QString Apply(const BestTimesChange& change = {}) {
        Update u = Change(table_, change);
        table_ = std::move(u.table);
        return u.failure;
    }

private:
    QString Path() const;
    // As Read; failure says why a file that is there could not be read.
    std::optional<BestTimesTable> Read(QString* failure) const;
    // The failure to tell the player: only the first.
    QString Told(const QString& failure);
    // Replaces the file whole, so that a crash mid-write leaves the old one.
    QString Write(const BestTimesTable& t);

    QString path_;
    bool failed_ = false;
    BestTimesTable table_{};
};

}  // namespace pz

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

    // Replaces the file whole, so that a crash mid-write leaves the old one.
    // Only the first failure is worth telling the player: it returns what to
    // say, and everything else returns an empty text. The table lives on in
    // memory either way.
    QString Write(const BestTimesTable& t);

private:
    QString Path() const;

    QString path_;
    bool failed_ = false;
};

}  // namespace pz

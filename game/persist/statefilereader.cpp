#include "game/persist/statefilereader.h"

#include <QFile>

namespace pz {

StateFileRead ReadStateFile(const QString& file) {
    StateFileRead out;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        out.error = f.errorString();
        return out;
    }
    if (f.size() > 64 * 1024 * 1024) {
        out.error = QStringLiteral("the file is far too large to be a puzzle state");
        return out;
    }
    try {
        out.state = ReadState(f.readAll().toStdString());
        out.ok = true;
    } catch (const StateFileError& e) {
        out.error = QString::fromStdString(e.message);
    }
    return out;
}

}  // namespace pz

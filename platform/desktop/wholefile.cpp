#include "platform/desktop/wholefile.h"

#include <QSaveFile>

namespace pz::desktop {

QString WriteWholeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile f(path);
    if (f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit()) return {};
    return f.errorString();
}

}  // namespace pz::desktop

#include "platform/desktop/desktop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

namespace pz::desktop {

QString DataHome() {
    const QString env = qEnvironmentVariable("XDG_DATA_HOME");
    if (!env.isEmpty() && QDir::isAbsolutePath(env)) return env;
    return QDir::homePath() + QStringLiteral("/.local/share");
}

QString ExecArgument(const QString& arg) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool quote = arg.isEmpty();
    for (QChar c : arg)
        if (reserved.contains(c)) quote = true;
    QString out;
    for (QChar c : arg) {
        if (c == '%') {
            out += QStringLiteral("%%");
            continue;
        }
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) out += '\\';
        out += c;
    }
    if (quote) out = '"' + out + '"';
    // The value itself is a desktop-file string: its backslashes are escaped.
    out.replace('\\', QStringLiteral("\\\\"));
    return out;
}

QList<RegistrationFile> RegistrationFiles(const Registration& r) {
    const QString icon = r.dataHome + QStringLiteral("/icons/hicolor/32x32/apps/puzzora.png");
    QByteArray mime =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"" + QByteArray(kStateMimeType) + "\">\n"
        "    <comment>Puzzora Puzzle State File</comment>\n"
        "    <icon name=\"puzzora\"/>\n"
        "    <glob pattern=\"*.psf\"/>\n"
        "  </mime-type>\n"
        "</mime-info>\n";
    QByteArray entry = "[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=Puzzora\n"
                       "Comment=Jigsaw puzzle game\n"
                       "Exec=" + (ExecArgument(r.executable) + QStringLiteral(" %f")).toUtf8() + "\n"
                       "Icon=" + icon.toUtf8() + "\n"
                       "MimeType=" + QByteArray(kStateMimeType) + ";\n"
                       "Categories=Game;LogicGame;\n"
                       "Terminal=false\n";
    QList<RegistrationFile> files{
        {QStringLiteral("mime/packages/puzzora-state.xml"), mime},
        {QStringLiteral("applications/puzzora.desktop"), entry},
    };
    if (!r.iconPng.isEmpty()) files.push_back({QStringLiteral("icons/hicolor/32x32/apps/puzzora.png"), r.iconPng});
    return files;
}

bool WriteRegistration(const Registration& r, QStringList* errors) {
    bool changed = false;
    for (const RegistrationFile& f : RegistrationFiles(r)) {
        const QString path = r.dataHome + '/' + f.relativePath;
        QFile current(path);
        if (current.open(QIODevice::ReadOnly) && current.readAll() == f.contents) continue;
        current.close();
        QDir().mkpath(QFileInfo(path).absolutePath());
        QSaveFile out(path);
        if (out.open(QIODevice::WriteOnly) && out.write(f.contents) == f.contents.size() && out.commit()) {
            changed = true;
        } else if (errors) {
            *errors << path + QStringLiteral(": ") + out.errorString();
        }
    }
    return changed;
}

void RefreshDesktopDatabases(const QString& dataHome) {
    const QString mime = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
    if (!mime.isEmpty()) QProcess::startDetached(mime, {dataHome + QStringLiteral("/mime")});
    const QString apps = QStandardPaths::findExecutable(QStringLiteral("update-desktop-database"));
    if (!apps.isEmpty()) QProcess::startDetached(apps, {dataHome + QStringLiteral("/applications")});
}

bool AddRecentDocument(const QString& dataHome, const QString& filePath, const QString& mimeType,
                       const QString& appName, const QString& appExec, const QString& isoNow) {
    const QString path = dataHome + QStringLiteral("/recently-used.xbel");
    const QString href = QString::fromUtf8(QUrl::fromLocalFile(QFileInfo(filePath).absoluteFilePath()).toEncoded());
    auto esc = [](const QString& s) { return s.toHtmlEscaped().replace('\'', QStringLiteral("&apos;")); };
    const QString bookmark =
        QStringLiteral("  <bookmark href=\"%1\" added=\"%2\" modified=\"%2\" visited=\"%2\">\n"
                       "    <info>\n"
                       "      <metadata owner=\"http://freedesktop.org\">\n"
                       "        <mime:mime-type type=\"%3\"/>\n"
                       "        <bookmark:applications>\n"
                       "          <bookmark:application name=\"%4\" exec=\"%5\" modified=\"%2\" count=\"1\"/>\n"
                       "        </bookmark:applications>\n"
                       "      </metadata>\n"
                       "    </info>\n"
                       "  </bookmark>\n")
            .arg(esc(href), isoNow, esc(mimeType), esc(appName), esc(QStringLiteral("'") + appExec + "'"));

    QString text;
    QFile in(path);
    if (in.exists()) {
        if (!in.open(QIODevice::ReadOnly)) return false;
        text = QString::fromUtf8(in.readAll());
        in.close();
        const qsizetype end = text.lastIndexOf(QStringLiteral("</xbel>"));
        if (end < 0 || !text.contains(QStringLiteral("<xbel"))) return false;   // not ours to mend
        // An entry for the same file is replaced, everything else kept as it is.
        const QString open = QStringLiteral("<bookmark href=\"") + esc(href) + '"';
        const qsizetype at = text.indexOf(open);
        if (at >= 0) {
            const qsizetype close = text.indexOf(QStringLiteral("</bookmark>"), at);
            if (close < 0) return false;
            qsizetype from = at;
            while (from > 0 && (text[from - 1] == ' ' || text[from - 1] == '\t')) --from;
            qsizetype to = close + int(strlen("</bookmark>"));
            if (to < text.size() && text[to] == '\n') ++to;
            text.remove(from, to - from);
        }
        const qsizetype insertAt = text.lastIndexOf(QStringLiteral("</xbel>"));
        text.insert(insertAt, bookmark);
        if (!text.contains(QStringLiteral("xmlns:bookmark=")) || !text.contains(QStringLiteral("xmlns:mime=")))
            return false;   // a foreign dialect: leave it be
    } else {
        text = QStringLiteral(
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                   "<xbel version=\"1.0\"\n"
                   "      xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\"\n"
                   "      xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\"\n"
                   ">\n") +
               bookmark + QStringLiteral("</xbel>\n");
    }
    QDir().mkpath(dataHome);
    QSaveFile out(path);
    const QByteArray bytes = text.toUtf8();
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit();
}

}  // namespace pz::desktop

#include "platform/desktop/desktop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

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

namespace {
// The string rules of desktop entries, for a value that is not an Exec line.
QString EntryString(const QString& s) {
    QString out = s;
    out.replace('\\', QStringLiteral("\\\\")).replace('\n', QStringLiteral("\\n")).replace('\t', QStringLiteral("\\t"));
    return out;
}
// The file id an earlier version registered under.
const char* const kEarlierEntry = "applications/puzzora.desktop";
}  // namespace

QList<RegistrationFile> RegistrationFiles(const Registration& r) {
    const QString id = QString::fromLatin1(kAppId);
    const QString iconFile = QStringLiteral("icons/hicolor/32x32/apps/") + id + QStringLiteral(".png");
    // The glob outweighs shared-mime-info's own *.psf types (a console font
    // and PSF audio), which sit at the default weight of 50.
    QByteArray mime =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"" + QByteArray(kStateMimeType) + "\">\n"
        "    <comment>Puzzora Puzzle State File</comment>\n"
        "    <icon name=\"" + id.toUtf8() + "\"/>\n"
        "    <glob pattern=\"*.psf\" weight=\"80\"/>\n"
        "  </mime-type>\n"
        "</mime-info>\n";
    // TryExec hides the entry once the program it names is gone.
    QByteArray entry = "[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=Puzzora\n"
                       "GenericName=Jigsaw Puzzle\n"
                       "Comment=Cut your own pictures into jigsaw puzzles\n"
                       "Exec=" + (ExecArgument(r.executable) + QStringLiteral(" %f")).toUtf8() + "\n"
                       "TryExec=" + EntryString(r.executable).toUtf8() + "\n"
                       "Icon=" + EntryString(r.dataHome + '/' + iconFile).toUtf8() + "\n"
                       "MimeType=" + QByteArray(kStateMimeType) + ";\n"
                       "Categories=Game;LogicGame;\n"
                       "Keywords=jigsaw;puzzle;picture;\n"
                       "Terminal=false\n";
    QList<RegistrationFile> files{
        {QStringLiteral("mime/packages/puzzora-state.xml"), mime},
        {QStringLiteral("applications/") + id + QStringLiteral(".desktop"), entry},
    };
    if (!r.iconPng.isEmpty()) files.push_back({iconFile, r.iconPng});
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
    // An earlier version's entry would list the game twice.
    QFile earlier(r.dataHome + '/' + QLatin1String(kEarlierEntry));
    if (earlier.open(QIODevice::ReadOnly) &&
        earlier.readAll().contains("MimeType=" + QByteArray(kStateMimeType) + ";")) {
        earlier.close();
        if (earlier.remove()) changed = true;
    }
    return changed;
}

void RefreshDesktopDatabases(const QString& dataHome) {
    const QString mime = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
    if (!mime.isEmpty()) QProcess::startDetached(mime, {dataHome + QStringLiteral("/mime")});
    const QString apps = QStandardPaths::findExecutable(QStringLiteral("update-desktop-database"));
    if (!apps.isEmpty()) QProcess::startDetached(apps, {dataHome + QStringLiteral("/applications")});
}

namespace {
const QString kBookmarkNs = QStringLiteral("http://www.freedesktop.org/standards/desktop-bookmarks");
const QString kMimeNs = QStringLiteral("http://www.freedesktop.org/standards/shared-mime-info");

struct RecentEntry {
    QString href, mimeType, appName, exec, now;
};

void WriteApplication(QXmlStreamWriter& w, const RecentEntry& e, int count) {
    w.writeEmptyElement(kBookmarkNs, QStringLiteral("application"));
    w.writeAttribute(QStringLiteral("name"), e.appName);
    w.writeAttribute(QStringLiteral("exec"), e.exec);
    w.writeAttribute(QStringLiteral("modified"), e.now);
    w.writeAttribute(QStringLiteral("count"), QString::number(count));
}

void WriteApplications(QXmlStreamWriter& w, const RecentEntry& e, const QString& indent) {
    w.writeCharacters(QStringLiteral("  "));
    w.writeStartElement(kBookmarkNs, QStringLiteral("applications"));
    w.writeCharacters(QStringLiteral("\n  ") + indent);
    WriteApplication(w, e, 1);
    w.writeCharacters(QStringLiteral("\n") + indent);
    w.writeEndElement();
    w.writeCharacters(QStringLiteral("\n") + indent.left(indent.size() - 2));
}

void WriteMetadata(QXmlStreamWriter& w, const RecentEntry& e, bool withMimeType) {
    w.writeStartElement(QStringLiteral("metadata"));
    w.writeAttribute(QStringLiteral("owner"), QStringLiteral("http://freedesktop.org"));
    w.writeCharacters(QStringLiteral("\n        "));
    if (withMimeType) {
        w.writeEmptyElement(kMimeNs, QStringLiteral("mime-type"));
        w.writeAttribute(QStringLiteral("type"), e.mimeType);
        w.writeCharacters(QStringLiteral("\n      "));
    }
    WriteApplications(w, e, QStringLiteral("        "));
    w.writeEndElement();
}

void WriteBookmark(QXmlStreamWriter& w, const RecentEntry& e) {
    w.writeCharacters(QStringLiteral("  "));
    w.writeStartElement(QStringLiteral("bookmark"));
    w.writeAttribute(QStringLiteral("href"), e.href);
    for (const char* a : {"added", "modified", "visited"}) w.writeAttribute(QLatin1String(a), e.now);
    w.writeCharacters(QStringLiteral("\n    "));
    w.writeStartElement(QStringLiteral("info"));
    w.writeCharacters(QStringLiteral("\n      "));
    WriteMetadata(w, e, true);
    w.writeCharacters(QStringLiteral("\n    "));
    w.writeEndElement();
    w.writeCharacters(QStringLiteral("\n  "));
    w.writeEndElement();
    w.writeCharacters(QStringLiteral("\n"));
}

bool SameFile(const QString& href, const QString& ours) {
    return href == ours || (QUrl(href).isLocalFile() && QUrl(href).toLocalFile() == QUrl(ours).toLocalFile());
}

// Copies an XBEL document token by token, adding the entry: our record in
// the file's bookmark when it has one, a bookmark of its own otherwise.
bool AddToXbel(const QByteArray& in, QByteArray* out, const RecentEntry& e) {
    QXmlStreamReader r(in);
    QXmlStreamWriter w(out);
    int depth = 0, targetDepth = -1, skipDepth = 0;
    bool found = false, recorded = false, inOurMetadata = false;
    while (!r.atEnd()) {
        const QXmlStreamReader::TokenType t = r.readNext();
        if (t == QXmlStreamReader::Invalid) break;
        if (skipDepth > 0) {   // inside the record being replaced
            if (t == QXmlStreamReader::StartElement) ++depth;
            if (t == QXmlStreamReader::EndElement && depth-- == skipDepth) skipDepth = 0;
            continue;
        }
        if (t == QXmlStreamReader::StartElement) {
            ++depth;
            if (depth == 1 && (r.name() != QLatin1String("xbel") || !r.namespaceUri().isEmpty())) return false;
            const bool bookmark = depth == 2 && r.name() == QLatin1String("bookmark") && r.namespaceUri().isEmpty();
            if (bookmark && !found && SameFile(r.attributes().value(QLatin1String("href")).toString(), e.href)) {
                found = true;
                targetDepth = depth;
                w.writeStartElement(QStringLiteral("bookmark"));
                for (const QXmlStreamAttribute& a : r.attributes()) {
                    const bool touched = a.qualifiedName() == QLatin1String("modified") ||
                                         a.qualifiedName() == QLatin1String("visited");
                    w.writeAttribute(a.qualifiedName().toString(), touched ? e.now : a.value().toString());
                }
                continue;
            }
            if (targetDepth > 0 && r.name() == QLatin1String("metadata") &&
                r.attributes().value(QLatin1String("owner")) == QLatin1String("http://freedesktop.org"))
                inOurMetadata = true;
            if (targetDepth > 0 && !recorded && r.namespaceUri() == kBookmarkNs &&
                r.name() == QLatin1String("application") &&
                r.attributes().value(QLatin1String("name")) == e.appName) {
                // Our own record: refreshed, counted once more.
                WriteApplication(w, e, r.attributes().value(QLatin1String("count")).toInt() + 1);
                recorded = true;
                skipDepth = depth;
                continue;
            }
        } else if (t == QXmlStreamReader::EndElement) {
            const int closing = depth--;
            if (targetDepth > 0 && !recorded) {
                if (r.namespaceUri() == kBookmarkNs && r.name() == QLatin1String("applications")) {
                    w.writeCharacters(QStringLiteral("  "));
                    WriteApplication(w, e, 1);
                    w.writeCharacters(QStringLiteral("\n        "));
                    recorded = true;
                } else if (inOurMetadata && r.name() == QLatin1String("metadata")) {
                    WriteApplications(w, e, QStringLiteral("        "));
                    recorded = true;
                } else if (closing == targetDepth) {
                    w.writeCharacters(QStringLiteral("  "));
                    w.writeStartElement(QStringLiteral("info"));
                    WriteMetadata(w, e, true);
                    w.writeEndElement();
                    w.writeCharacters(QStringLiteral("\n  "));
                    recorded = true;
                }
            }
            if (r.name() == QLatin1String("metadata")) inOurMetadata = false;
            if (closing == targetDepth) targetDepth = -1;
            if (closing == 1 && !found) WriteBookmark(w, e);
        }
        w.writeCurrentToken(r);
    }
    return !r.hasError() && found == recorded;
}
}  // namespace

bool AddRecentDocument(const QString& dataHome, const QString& filePath, const QString& mimeType,
                       const QString& appName, const QString& appExec, const QString& isoNow) {
    const QString path = dataHome + QStringLiteral("/recently-used.xbel");
    const RecentEntry e{QString::fromUtf8(QUrl::fromLocalFile(QFileInfo(filePath).absoluteFilePath()).toEncoded()),
                        mimeType, appName, QStringLiteral("'") + appExec + '\'', isoNow};
    QByteArray in;
    QFile current(path);
    if (current.exists()) {
        if (!current.open(QIODevice::ReadOnly)) return false;
        in = current.readAll();
        current.close();
    } else {
        in = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<xbel version=\"1.0\"\n"
             "      xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\"\n"
             "      xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\"\n"
             ">\n"
             "</xbel>\n";
    }
    QByteArray text;
    if (!AddToXbel(in, &text, e)) return false;   // not a document we understand: left alone
    QDir().mkpath(dataHome);
    QSaveFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(text) == text.size() && out.commit();
}

}  // namespace pz::desktop

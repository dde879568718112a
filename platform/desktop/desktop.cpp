#include "platform/desktop/desktop.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <algorithm>
#include <dlfcn.h>

#include "platform/desktop/wholefile.h"

namespace pz::desktop {

namespace {

const QByteArray kMarkerKey = "X-Puzzora-Generated";

QByteArray Hash(const QByteArray& bytes) { return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex(); }

// The string rules of desktop entries, for a value that is not an Exec line.
QString EntryString(const QString& s) {
    QString out = s;
    out.replace('\\', QStringLiteral("\\\\")).replace('\n', QStringLiteral("\\n")).replace('\t', QStringLiteral("\\t"));
    return out;
}

// One argument of an Exec line: double quotes where reserved characters
// appear, backslash escapes inside, "%" doubled, then the file's own
// escaping of backslashes.
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
    return EntryString(out);
}

bool IsPng(const QString& path) { return path.endsWith(QLatin1String(".png")); }
bool IsEntry(const QString& path) { return path.endsWith(QLatin1String(".desktop")); }

QByteArray TextMarker(const QString& path, const QByteArray& hash) {
    return IsEntry(path) ? kMarkerKey + '=' + hash + '\n' : "<!-- " + kMarkerKey + '=' + hash + " -->\n";
}

quint32 Crc32(const QByteArray& bytes) {
    quint32 c = 0xffffffffu;
    for (char ch : bytes) {
        c ^= quint8(ch);
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xedb88320u & (0u - (c & 1u)));
    }
    return ~c;
}

QByteArray BigEndian(quint32 v) {
    const char bytes[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(bytes, 4);
}

// A PNG ends with the 12-byte IEND chunk.
constexpr int kIendSize = 12;

QByteArray PngMarkerChunk(const QByteArray& hash) {
    const QByteArray typeAndData = "tEXt" + kMarkerKey + '\0' + hash;
    return BigEndian(quint32(typeAndData.size() - 4)) + typeAndData + BigEndian(Crc32(typeAndData));
}

// --- What earlier versions wrote, before files carried the marker. ---

// Generation 1 used the file id "puzzora", generation 2 the application id.
QString EarlierEntryPath(int gen) {
    return gen == 1 ? QStringLiteral("applications/puzzora.desktop")
                    : QStringLiteral("applications/") + QLatin1String(kAppId) + QStringLiteral(".desktop");
}
QString EarlierIconPath(int gen) {
    return QStringLiteral("icons/hicolor/32x32/apps/") + (gen == 1 ? QStringLiteral("puzzora") : QLatin1String(kAppId)) +
           QStringLiteral(".png");
}
const char* const kMimePath = "mime/packages/puzzora-state.xml";

// The shared-mime-info package for state files. The weighted glob
// outweighs shared-mime-info's own *.psf types (a console font and PSF
// audio), which sit at the default weight of 50; the first version had none.
QByteArray MimePackage(const QByteArray& icon, bool weighted) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
           "  <mime-type type=\"" + QByteArray(kStateMimeType) + "\">\n"
           "    <comment>Puzzora Puzzle State File</comment>\n"
           "    <icon name=\"" + icon + "\"/>\n"
           "    <glob pattern=\"*.psf\"" + (weighted ? " weight=\"80\"" : "") + "/>\n"
           "  </mime-type>\n"
           "</mime-info>\n";
}
QByteArray EarlierMime(int gen) { return gen == 1 ? MimePackage("puzzora", false) : MimePackage(kAppId, true); }

// icon is the Icon= value as the file has it.
QByteArray EarlierEntry(int gen, const QByteArray& icon, const QString& exe) {
    const QByteArray exec = "Exec=" + (ExecArgument(exe) + QStringLiteral(" %f")).toUtf8() + "\n";
    if (gen == 1)
        return "[Desktop Entry]\nType=Application\nName=Puzzora\nComment=Jigsaw puzzle game\n" + exec + "Icon=" + icon +
               "\nMimeType=" + kStateMimeType + ";\nCategories=Game;LogicGame;\nTerminal=false\n";
    return "[Desktop Entry]\nType=Application\nName=Puzzora\nGenericName=Jigsaw Puzzle\n"
           "Comment=Cut your own pictures into jigsaw puzzles\n" + exec +
           "TryExec=" + EntryString(exe).toUtf8() + "\nIcon=" + icon +
           "\nMimeType=" + kStateMimeType + ";\nCategories=Game;LogicGame;\nKeywords=jigsaw;puzzle;picture;\nTerminal=false\n";
}

// The raw value of an entry's key, as the file has it.
QByteArray ValueOf(const QByteArray& entry, const QByteArray& key) {
    const qsizetype at = entry.indexOf('\n' + key + '=');
    if (at < 0) return {};
    const qsizetype from = at + key.size() + 2;
    return entry.mid(from, entry.indexOf('\n', from) - from);
}

// The program an entry's Exec line names, read back well enough to make
// the entry again; only an exact match counts.
QString ExecutableOf(const QByteArray& entry) {
    QString v = QString::fromUtf8(ValueOf(entry, "Exec"));
    if (!v.endsWith(QStringLiteral(" %f"))) return {};
    v.chop(3);
    v.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
    if (v.size() >= 2 && v.startsWith('"') && v.endsWith('"')) {
        QString out;
        for (qsizetype i = 1; i + 1 < v.size(); ++i) {
            if (v[i] == '\\' && i + 2 < v.size()) ++i;
            out += v[i];
        }
        v = out;
    }
    return v.replace(QStringLiteral("%%"), QStringLiteral("%"));
}

// Earlier versions wrote the icon's path from $XDG_DATA_HOME as it stood,
// "//" or a trailing "/" included: the path counts, not its spelling.
bool NamesEarlierIcon(const QByteArray& icon, const Registration& r, int gen) {
    const QString path = QString::fromUtf8(icon).replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
    return QDir::cleanPath(path) == QDir::cleanPath(r.dataHome + '/' + EarlierIconPath(gen));
}

bool WrittenByEarlierVersion(const Registration& r, const QString& path, const QByteArray& contents) {
    for (int gen : {1, 2}) {
        if (path == QLatin1String(kMimePath) && contents == EarlierMime(gen)) return true;
        if (path == EarlierIconPath(gen) && !r.earlierIconPng.isEmpty() && contents == r.earlierIconPng) return true;
        const QByteArray icon = ValueOf(contents, "Icon");
        if (path == EarlierEntryPath(gen) && NamesEarlierIcon(icon, r, gen) &&
            contents == EarlierEntry(gen, icon, ExecutableOf(contents)))
            return true;
    }
    return false;
}

}  // namespace

QByteArray WithMarker(const QString& relativePath, const QByteArray& body) {
    if (!IsPng(relativePath)) return body + TextMarker(relativePath, Hash(body));
    if (body.size() < 8 + kIendSize) return body;
    const qsizetype end = body.size() - kIendSize;
    return body.left(end) + PngMarkerChunk(Hash(body)) + body.mid(end);
}

bool CarriesOurMarker(const QString& relativePath, const QByteArray& contents) {
    if (IsPng(relativePath)) {
        // Our chunk sits just before IEND; without it the file is what we
        // were given, and its hash is in the chunk.
        const qsizetype end = contents.size() - kIendSize;
        const qsizetype chunk = 4 + 4 + kMarkerKey.size() + 1 + 64 + 4;
        if (end - chunk < 8) return false;
        const QByteArray body = contents.left(end - chunk) + contents.mid(end);
        return contents.mid(end - chunk, chunk) == PngMarkerChunk(Hash(body));
    }
    const qsizetype at = contents.lastIndexOf(IsEntry(relativePath) ? kMarkerKey + '=' : "<!-- " + kMarkerKey + '=');
    if (at <= 0 || contents[at - 1] != '\n') return false;
    return contents.mid(at) == TextMarker(relativePath, Hash(contents.left(at)));
}

QList<Icon> IconsIn(const QString& hicolorDir) {
    QList<Icon> icons;
    QDirIterator it(hicolorDir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        if (f.open(QIODevice::ReadOnly)) icons.push_back({QDir(hicolorDir).relativeFilePath(f.fileName()), f.readAll()});
    }
    std::sort(icons.begin(), icons.end(), [](const Icon& a, const Icon& b) { return a.relativePath < b.relativePath; });
    return icons;
}

QString ExecLine(const QString& executable, const QString& argument) {
    // GLib looks the program up before it expands "%%", so a path with a
    // "%" is started through env, which GLib finds on PATH.
    const QString program = ExecArgument(executable);
    return (executable.contains('%') ? QStringLiteral("env ") + program : program) + ' ' + argument;
}

bool InstalledEntryExists(const QStringList& dataDirs, const QString& dataHome) {
    const QString entry = QStringLiteral("/applications/") + QLatin1String(kAppId) + QStringLiteral(".desktop");
    for (const QString& dir : dataDirs)
        if (QDir::cleanPath(dir) != QDir::cleanPath(dataHome) && QFileInfo(dir + entry).isFile()) return true;
    return false;
}

QList<RegistrationFile> RegistrationFiles(const Registration& r) {
    const QByteArray id = kAppId;
    // TryExec hides the entry once the program it names is gone.
    const QByteArray entry = "[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=Puzzora\n"
                             "GenericName=Jigsaw Puzzle\n"
                             "Comment=Cut your own pictures into jigsaw puzzles\n"
                             "Exec=" + ExecLine(r.executable).toUtf8() + "\n"
                             "TryExec=" + EntryString(r.executable).toUtf8() + "\n"
                             "Icon=" + id + "\n"
                             "MimeType=" + r.mimeTypes.join(';').toUtf8() + ";\n"
                             "Categories=Game;LogicGame;\n"
                             "Keywords=jigsaw;puzzle;picture;\n"
                             "StartupWMClass=" + QByteArray(kWindowClass) + "\n"
                             "Terminal=false\n"
                             "Actions=resume;\n"
                             "\n"
                             "[Desktop Action resume]\n"
                             "Name=Resume Last Puzzle\n"
                             "Exec=" + ExecLine(r.executable, QStringLiteral("--resume")).toUtf8() + "\n";
    QList<RegistrationFile> files{
        {QLatin1String(kMimePath), MimePackage(id, true)},
        {QStringLiteral("applications/") + QLatin1String(kAppId) + QStringLiteral(".desktop"), entry},
    };
    for (const Icon& icon : r.icons) files.push_back({QStringLiteral("icons/hicolor/") + icon.relativePath, icon.data});
    for (RegistrationFile& f : files) f.contents = WithMarker(f.relativePath, f.contents);
    return files;
}

bool WriteRegistration(const Registration& r, QStringList* errors) {
    // A path with a line break cannot be written into an entry.
    if (r.executable.isEmpty() || r.executable.contains('\n') || r.executable.contains('\r')) return false;
    const bool installed = InstalledEntryExists(r.dataDirs, r.dataHome);
    QMap<QString, QByteArray> wanted;
    QStringList paths;
    for (const RegistrationFile& f : RegistrationFiles(r)) {
        if (!installed) wanted.insert(f.relativePath, f.contents);
        paths << f.relativePath;
    }
    for (int gen : {1, 2}) paths << EarlierEntryPath(gen) << EarlierIconPath(gen);
    paths.removeDuplicates();

    bool changed = false;
    auto fail = [&](const QString& path, const QString& why) {
        if (errors) *errors << path + QStringLiteral(": ") + why;
    };
    for (const QString& relative : paths) {
        const QString path = r.dataHome + '/' + relative;
        QFile current(path);
        const bool exists = current.exists();
        QByteArray contents;
        if (exists) {
            if (!current.open(QIODevice::ReadOnly)) continue;   // not ours to judge
            contents = current.readAll();
            current.close();
            if (!CarriesOurMarker(relative, contents) && !WrittenByEarlierVersion(r, relative, contents)) continue;
        }
        const auto want = wanted.constFind(relative);
        if (want == wanted.cend()) {
            if (!exists) continue;
            if (current.remove())
                changed = true;
            else
                fail(path, current.errorString());
        } else if (!exists || contents != *want) {
            QDir().mkpath(QFileInfo(path).absolutePath());
            const QString why = WriteWholeFile(path, *want);
            if (why.isEmpty())
                changed = true;
            else
                fail(path, why);
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

// Where AddToXbel's copy stands, and what it writes in place of a tag.
struct XbelCopy {
    QXmlStreamReader& r;
    QXmlStreamWriter& w;
    const RecentEntry& e;
    int depth = 0, targetDepth = -1, skipDepth = 0;
    bool found = false, recorded = false, inOurMetadata = false, bad = false;

    // An opening tag; true when it is written here (or skipped), not copied.
    bool Start() {
        ++depth;
        if (depth == 1 && (r.name() != QLatin1String("xbel") || !r.namespaceUri().isEmpty())) bad = true;
        const bool bookmark = depth == 2 && r.name() == QLatin1String("bookmark") && r.namespaceUri().isEmpty();
        if (bookmark && !found && SameFile(r.attributes().value(QLatin1String("href")).toString(), e.href)) {
            found = true;
            targetDepth = depth;
            w.writeStartElement(QStringLiteral("bookmark"));
            for (const QXmlStreamAttribute& a : r.attributes()) {
                const bool touched =
                    a.qualifiedName() == QLatin1String("modified") || a.qualifiedName() == QLatin1String("visited");
                w.writeAttribute(a.qualifiedName().toString(), touched ? e.now : a.value().toString());
            }
            return true;
        }
        if (targetDepth > 0 && r.name() == QLatin1String("metadata") &&
            r.attributes().value(QLatin1String("owner")) == QLatin1String("http://freedesktop.org"))
            inOurMetadata = true;
        if (targetDepth > 0 && !recorded && r.namespaceUri() == kBookmarkNs && r.name() == QLatin1String("application") &&
            r.attributes().value(QLatin1String("name")) == e.appName) {
            // Our own record: refreshed, counted once more.
            WriteApplication(w, e, r.attributes().value(QLatin1String("count")).toInt() + 1);
            recorded = true;
            skipDepth = depth;
            return true;
        }
        return false;
    }

    // A closing tag, before it is copied: our record goes in before the
    // bookmark's applications, metadata or the bookmark itself close.
    void End() {
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
};

// Copies an XBEL document token by token, adding the entry: our record in
// the file's bookmark when it has one, a bookmark of its own otherwise.
bool AddToXbel(const QByteArray& in, QByteArray* out, const RecentEntry& e) {
    QXmlStreamReader r(in);
    QXmlStreamWriter w(out);
    XbelCopy copy{r, w, e};
    while (!r.atEnd()) {
        const QXmlStreamReader::TokenType t = r.readNext();
        if (t == QXmlStreamReader::Invalid) break;
        if (copy.skipDepth > 0) {   // inside the record being replaced
            if (t == QXmlStreamReader::StartElement) ++copy.depth;
            if (t == QXmlStreamReader::EndElement && copy.depth-- == copy.skipDepth) copy.skipDepth = 0;
            continue;
        }
        if (t == QXmlStreamReader::StartElement) {
            const bool written = copy.Start();
            if (copy.bad) return false;
            if (written) continue;
        } else if (t == QXmlStreamReader::EndElement) {
            copy.End();
        }
        w.writeCurrentToken(r);
    }
    return !r.hasError() && copy.found == copy.recorded;
}
}  // namespace

namespace {
// The shell quoting of GLib's g_shell_quote.
QString ShellQuote(const QString& s) {
    return '\'' + QString(s).replace('\'', QStringLiteral("'\\''")) + '\'';
}
}  // namespace

bool AddRecentDocument(const QString& xbelPath, const QString& filePath, const QString& mimeType,
                       const QString& appName, const QString& executable, const QString& isoNow) {
    // GLib keeps a command line with "%u" for the file and "%%" for a "%",
    // shell-quoted once more as a whole; a reader expands the codes, then
    // unquotes. A "'" in the file's URL would end that quoting early.
    const QString commandLine = ShellQuote(executable).replace('%', QStringLiteral("%%")) + QStringLiteral(" %u");
    QString href = QString::fromUtf8(QUrl::fromLocalFile(QFileInfo(filePath).absoluteFilePath()).toEncoded());
    href.replace('\'', QStringLiteral("%27"));
    const RecentEntry e{href, mimeType, appName, ShellQuote(commandLine), isoNow};
    QByteArray in;
    QFile current(xbelPath);
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
    QDir().mkpath(QFileInfo(xbelPath).absolutePath());
    return WriteWholeFile(xbelPath, text).isEmpty();
}

bool RememberRecentFiles() {
    // GIO is loaded only here, on the one start that records a file; a
    // desktop without it has no such switch.
    void* gio = dlopen("libgio-2.0.so.0", RTLD_LAZY | RTLD_LOCAL);
    if (!gio) return true;
    auto source = reinterpret_cast<void* (*)()>(dlsym(gio, "g_settings_schema_source_get_default"));
    auto lookup = reinterpret_cast<void* (*)(void*, const char*, int)>(dlsym(gio, "g_settings_schema_source_lookup"));
    auto hasKey = reinterpret_cast<int (*)(void*, const char*)>(dlsym(gio, "g_settings_schema_has_key"));
    auto unrefSchema = reinterpret_cast<void (*)(void*)>(dlsym(gio, "g_settings_schema_unref"));
    auto settingsNew = reinterpret_cast<void* (*)(void*, void*, const char*)>(dlsym(gio, "g_settings_new_full"));
    auto getBoolean = reinterpret_cast<int (*)(void*, const char*)>(dlsym(gio, "g_settings_get_boolean"));
    auto unref = reinterpret_cast<void (*)(void*)>(dlsym(gio, "g_object_unref"));
    if (!source || !lookup || !hasKey || !unrefSchema || !settingsNew || !getBoolean || !unref) return true;
    void* schemas = source();
    void* schema = schemas ? lookup(schemas, "org.gnome.desktop.privacy", 1) : nullptr;
    if (!schema) return true;
    bool remember = true;
    if (hasKey(schema, "remember-recent-files")) {
        void* settings = settingsNew(schema, nullptr, nullptr);
        remember = getBoolean(settings, "remember-recent-files") != 0;
        unref(settings);
    }
    unrefSchema(schema);
    return remember;
}

}  // namespace pz::desktop

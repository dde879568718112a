#include "platform/forms/qtforms.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <iostream>

namespace pz::forms {

QMap<QString, FormSection> ParseFormData(const QByteArray& text) {
    QMap<QString, FormSection> out;
    QString section;
    for (const QByteArray& raw : text.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(';')) continue;
        if (line.startsWith('[') && line.endsWith(']')) {
            section = line.mid(1, line.size() - 2).trimmed();
            out[section];
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (eq > 0 && !section.isEmpty()) out[section][line.left(eq).trimmed()] = line.mid(eq + 1).trimmed();
    }
    return out;
}

bool SectionBag::ReadLong(const std::string& name, int32_t def, int32_t& out) {
    const QString key = QString::fromStdString(name);
    if (!values_.contains(key)) {
        out = def;
        return true;
    }
    bool ok = false;
    const qlonglong v = values_[key].toLongLong(&ok);
    if (!ok || v < INT32_MIN || v > INT32_MAX) return false;
    out = int32_t(v);
    return true;
}

bool SectionBag::ReadBool(const std::string& name, bool def, bool& out) {
    const QString key = QString::fromStdString(name);
    if (!values_.contains(key)) {
        out = def;
        return true;
    }
    const QString v = values_[key].toLower();
    if (v == QLatin1String("true") || v == QLatin1String("-1")) out = true;
    else if (v == QLatin1String("false") || v == QLatin1String("0")) out = false;
    else return false;
    return true;
}

void SectionBag::WriteLong(const std::string& name, int32_t value, int32_t def) {
    const QString key = QString::fromStdString(name);
    if (value == def) values_.remove(key);
    else values_[key] = QString::number(value);
}

void SectionBag::WriteBool(const std::string& name, bool value, bool def) {
    const QString key = QString::fromStdString(name);
    if (value == def) values_.remove(key);
    else values_[key] = value ? QStringLiteral("True") : QStringLiteral("False");
}

HostedControl::~HostedControl() { Terminate(); }

void HostedControl::Terminate() {
    if (!control_) return;
    control_->Terminate();
    factory_->DestroyInstance(control_);
    control_ = nullptr;
}

float HostedControl::TwipsPerPixelX() {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? float(1440.0 / s->logicalDotsPerInchX()) : 15.0f;
}

float HostedControl::TwipsPerPixelY() {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? float(1440.0 / s->logicalDotsPerInchY()) : 15.0f;
}

void HostedControl::SetExtent(int32_t w, int32_t h) { extent_ = QSize(w, h); }

QStringList LibrarySearchPath() {
    // Beside the executable in the build folder; installed, in the private
    // library folder, whose place relative to the executable's is fixed by
    // the install layout.
    const QString exeDir = QCoreApplication::applicationDirPath();
    QStringList dirs{exeDir};
#ifdef PUZZORA_PRIVATE_LIBDIR
    dirs << QDir::cleanPath(QDir(exeDir).filePath(QStringLiteral(PUZZORA_PRIVATE_LIBDIR)));
#endif
    const QString extra = qEnvironmentVariable("PUZZORA_CONTROL_DIR");
    if (!extra.isEmpty()) dirs << extra;
    return dirs;
}

namespace {
// Type libraries and the files that hold them.
QString LibraryFor(const QString& classId) {
    const QString typeLib = classId.section('.', 0, 0);
    if (typeLib == QLatin1String("SizewardLib6")) return QStringLiteral("Sizeward6");
    return QString();
}
}  // namespace

std::unique_ptr<HostedControl> CreateControl(const QString& classId, PropertyBag& bag, winmsg::HWND parent,
                                             winmsg::WindowSystem& windows, QString* error) {
    auto fail = [&](const QString& why) {
        if (error) *error = why;
        return std::unique_ptr<HostedControl>();
    };
    const QString name = LibraryFor(classId);
    if (name.isEmpty()) return fail(QStringLiteral("no library provides the class %1").arg(classId));
    auto hosted = std::unique_ptr<HostedControl>(new HostedControl);
    QStringList tried;
    for (const QString& dir : LibrarySearchPath()) {
        hosted->library_.setFileName(QDir(dir).filePath(name));
        if (hosted->library_.load()) break;
        tried << hosted->library_.errorString();
    }
    if (!hosted->library_.isLoaded()) return fail(tried.join(QStringLiteral("; ")));
    auto getClass = reinterpret_cast<DllGetClassObjectFn>(hosted->library_.resolve("DllGetClassObject"));
    if (!getClass) return fail(QStringLiteral("%1 has no DllGetClassObject").arg(hosted->library_.fileName()));
    const QByteArray id = classId.toUtf8();
    if (getClass(id.constData(), &hosted->factory_) != S_OK || !hosted->factory_)
        return fail(QStringLiteral("%1 does not provide %2").arg(hosted->library_.fileName(), classId));
    hosted->parent_ = parent;
    hosted->windows_ = &windows;
    hosted->control_ = hosted->factory_->CreateInstance(*hosted);
    if (!hosted->control_) return fail(QStringLiteral("%1 could not be created").arg(classId));
    hosted->control_->ReadProperties(bag);
    hosted->control_->Resize();
    return hosted;
}

std::map<QString, std::unique_ptr<HostedControl>> CreateFormControls(const QByteArray& formData, winmsg::HWND parent,
                                                                    winmsg::WindowSystem& windows) {
    std::map<QString, std::unique_ptr<HostedControl>> controls;
    const auto sections = ParseFormData(formData);
    for (auto it = sections.begin(); it != sections.end(); ++it) {
        const QString classId = it.value().value(QStringLiteral("Class"));
        if (classId.isEmpty()) continue;
        SectionBag bag(it.value());
        QString error;
        auto control = CreateControl(classId, bag, parent, windows, &error);
        if (!control) {
            std::cerr << "Puzzora: the control " << it.key().toStdString() << " (" << classId.toStdString()
                      << ") could not be created: " << error.toStdString() << "; the window goes on without it."
                      << std::endl;
            continue;
        }
        controls[it.key()] = std::move(control);
    }
    return controls;
}

}  // namespace pz::forms

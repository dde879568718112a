#pragma once
// The forms runtime on Qt: a window's saved form data, property bags read
// from it, and controls created by class identifier from their libraries.
#include <QLibrary>
#include <QMap>
#include <QSize>
#include <QString>
#include <map>
#include <memory>

#include "platform/forms/forms.h"

namespace pz::forms {

// Saved form data: "[Control]" sections of "Name=Value" lines; ';' starts a
// comment line.
using FormSection = QMap<QString, QString>;
QMap<QString, FormSection> ParseFormData(const QByteArray& text);

// A bag over one section's values.
class SectionBag : public PropertyBag {
public:
    explicit SectionBag(FormSection values) : values_(std::move(values)) {}
    bool ReadLong(const std::string& name, int32_t def, int32_t& out) override;
    bool ReadBool(const std::string& name, bool def, bool& out) override;
    void WriteLong(const std::string& name, int32_t value, int32_t def) override;
    void WriteBool(const std::string& name, bool value, bool def) override;
    const FormSection& Values() const { return values_; }

private:
    FormSection values_;
};

// A control living on a window, with the library it came from.
class HostedControl : public HostServices {
public:
    ~HostedControl() override;
    Control* control() const { return control_; }

    winmsg::HWND ParentHwnd() override { return parent_; }
    bool UserMode() override { return true; }
    void PropertyChanged(const std::string&) override {}
    float TwipsPerPixelX() override;
    float TwipsPerPixelY() override;
    void SetExtent(int32_t widthTwips, int32_t heightTwips) override;
    winmsg::WindowSystem& Windows() override { return *windows_; }
    QSize ExtentTwips() const { return extent_; }

    // Ends the control's life: Terminate, then the instance goes.
    void Terminate();

private:
    friend std::unique_ptr<HostedControl> CreateControl(const QString&, PropertyBag&, winmsg::HWND,
                                                        winmsg::WindowSystem&, QString*);
    QLibrary library_;
    ClassFactory* factory_ = nullptr;
    Control* control_ = nullptr;
    winmsg::HWND parent_ = 0;
    winmsg::WindowSystem* windows_ = nullptr;
    QSize extent_;
};

// The folders searched for control libraries: beside the executable, the
// private library folder of an installed game (relative to the executable),
// then the folder named by PUZZORA_CONTROL_DIR.
QStringList LibrarySearchPath();

// Creates a control by class identifier ("SizewardLib6.MinMax"): finds its
// library, asks it for the class, creates the instance on the parent window
// and loads its saved properties. Null, with the reason, when any step fails.
std::unique_ptr<HostedControl> CreateControl(const QString& classId, PropertyBag& bag, winmsg::HWND parent,
                                             winmsg::WindowSystem& windows, QString* error);

// Creates every control a window's saved form data names, by name. A control
// that cannot be created is left out and said on standard error; the window
// goes on without it.
std::map<QString, std::unique_ptr<HostedControl>> CreateFormControls(const QByteArray& formData, winmsg::HWND parent,
                                                                    winmsg::WindowSystem& windows);

}  // namespace pz::forms

#pragma once
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <functional>

#include "platform/filedialogs.h"

namespace pz {

// "About Puzzora": title, version, a few words, links, and a way to the
// system's own information tool.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kWebSite = "https://puzzora.example.org/";
    static constexpr const char* kMail = "mailto:puzzora@example.org";

    // openUrl hands a link to the desktop; startProgram starts a program
    // detached and says whether it started.
    struct Services {
        Prompts& prompts;
        std::function<bool(const QUrl&)> openUrl;
        std::function<bool(const QString& program)> startProgram;
    };
    frmAbout(Services services, QWidget* parent = nullptr);

    void cmdSysInfo_Click() { StartSysInfo(); }
    void lblWebSiteURL_Click();
    void lblEmailAddress_Click();

    // The first system information program found on PATH, or empty.
    static QString FindSystemInfoTool();

    QLabel *lblTitle = nullptr, *lblVersion = nullptr, *lblDescription = nullptr, *lblWebSiteURL = nullptr,
           *lblEmailAddress = nullptr;
    QPushButton *cmdOK = nullptr, *cmdSysInfo = nullptr;

private:
    void StartSysInfo();
    // The title and icon above the description, the links and buttons below.
    void LayOut(QLabel* icon);
    Services svc_;
};

}  // namespace pz

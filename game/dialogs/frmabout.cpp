#include "game/dialogs/frmabout.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace pz {

namespace {
// System information programs of the common desktops, in order of preference.
const char* const kSystemInfoTools[] = {"hardinfo",          "kinfocenter",        "gnome-system-monitor",
                                        "plasma-systemmonitor", "ksysguard",      "mate-system-monitor",
                                        "xfce4-taskmanager", "lxtask"};
}  // namespace

frmAbout::frmAbout(Services services, QWidget* parent) : QDialog(parent), svc_(std::move(services)) {
    const QString title = QStringLiteral("Puzzora");
    setWindowTitle(QStringLiteral("About ") + title);
    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/icons/puzzora.png")).pixmap(32));
    lblTitle = new QLabel(title, this);
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    lblTitle->setFont(big);
    lblVersion = new QLabel(QStringLiteral("Version " PUZZORA_VERSION), this);
    lblDescription = new QLabel(
        QStringLiteral("Puzzora cuts any picture you like into a jigsaw puzzle with real tabs and holes. "
                       "Drag the pieces together: neighbours snap and join, and pieces dropped where they "
                       "belong lock in place. Save an unfinished puzzle and come back to it any time."),
        this);
    lblDescription->setWordWrap(true);
    auto link = [this](const QString& href, const QString& text) {
        auto* l = new QLabel(QStringLiteral("<a href=\"%1\">%2</a>").arg(href.toHtmlEscaped(), text.toHtmlEscaped()),
                             this);
        l->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        return l;
    };
    const QString mail = QString::fromLatin1(kMail);
    lblWebSiteURL = link(QString::fromLatin1(kWebSite), QString::fromLatin1(kWebSite));
    lblEmailAddress = link(mail, mail.mid(7));
    connect(lblWebSiteURL, &QLabel::linkActivated, this, [this] { lblWebSiteURL_Click(); });
    connect(lblEmailAddress, &QLabel::linkActivated, this, [this] { lblEmailAddress_Click(); });

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, [this] { cmdSysInfo_Click(); });
    LayOut(icon);
    resize(440, 260);
}

void frmAbout::LayOut(QLabel* icon) {
    auto* head = new QHBoxLayout;
    head->addWidget(icon, 0, Qt::AlignTop);
    auto* titles = new QVBoxLayout;
    titles->addWidget(lblTitle);
    titles->addWidget(lblVersion);
    head->addLayout(titles, 1);
    auto* links = new QGridLayout;
    links->addWidget(new QLabel(QStringLiteral("Web Site:"), this), 0, 0);
    links->addWidget(lblWebSiteURL, 0, 1);
    links->addWidget(new QLabel(QStringLiteral("E-mail:"), this), 1, 0);
    links->addWidget(lblEmailAddress, 1, 1);
    links->setColumnStretch(1, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    auto* bottom = new QHBoxLayout;
    bottom->addLayout(links, 1);
    bottom->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(lblDescription);
    layout->addStretch();
    layout->addLayout(bottom);
}

void frmAbout::lblWebSiteURL_Click() {
    if (svc_.openUrl) svc_.openUrl(QUrl(QString::fromLatin1(kWebSite)));
}

void frmAbout::lblEmailAddress_Click() {
    if (svc_.openUrl) svc_.openUrl(QUrl(QString::fromLatin1(kMail)));
}

QString frmAbout::FindSystemInfoTool() {
    for (const char* name : kSystemInfoTools) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!found.isEmpty()) return found;
    }
    return QString();
}

void frmAbout::StartSysInfo() {
    const QString tool = FindSystemInfoTool();
    if (tool.isEmpty() || !svc_.startProgram || !svc_.startProgram(tool))
        svc_.prompts.Message(this, QStringLiteral("Puzzora"), QStringLiteral("System Information Is Unavailable At This Time"));
}

}  // namespace pz

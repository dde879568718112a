#include "game/dialogs/frmbesttimes.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "game/persist/besttimes.h"

namespace pz {

frmBestTimes::frmBestTimes(const BestTimesTable& table, Prompts& prompts,
                           std::function<void(const BestTimesChange&)> apply, QWidget* parent)
    : QDialog(parent), table_(table), prompts_(prompts), apply_(std::move(apply)) {
    setWindowTitle(QStringLiteral("Puzzora - Best Times"));
    lstViewBestTimes = new QTreeWidget(this);
    lstViewBestTimes->setObjectName(QStringLiteral("lstViewBestTimes"));
    lstViewBestTimes->setRootIsDecorated(false);
    lstViewBestTimes->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Elapsed Time"), QStringLiteral("Pieces"),
                                       QStringLiteral("Image Name")});
    lstViewBestTimes->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    lstViewBestTimes->header()->setStretchLastSection(true);
    cmdClearAll = new QPushButton(QStringLiteral("Clear All"), this);
    cmdClearAll->setObjectName(QStringLiteral("cmdClearAll"));
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(cmdClearAll, &QPushButton::clicked, this, [this] { cmdClearAll_Click(); });
    connect(OKButton, &QPushButton::clicked, this, [this] { OKButton_Click(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdClearAll);
    buttons->addStretch();
    buttons->addWidget(OKButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lstViewBestTimes);
    layout->addLayout(buttons);
    resize(560, 420);
    Form_Load();
}

void frmBestTimes::Form_Load() {
    lstViewBestTimes->clear();
    for (int i = 1; i <= BestTimesCount; ++i) {
        const BestTimeEntry& e = table_[i];
        auto* item = new QTreeWidgetItem(lstViewBestTimes);
        item->setText(0, QString::fromStdString(e.PlayerName));
        item->setText(1, QString::fromStdString(ElapsedText(e)));
        item->setText(2, QString::number(e.PieceTotal));
        item->setText(3, QString::fromStdString(e.PictureName));
    }
}

void frmBestTimes::cmdClearAll_Click() {
    // Clears what the file holds now, whatever this game last read.
    const bool clear = prompts_.AskYesNo(this, QStringLiteral("Puzzora"),
                                         QStringLiteral("Are you sure you want to clear all of the entries?"));
    if (apply_) apply_(clear ? BestTimesChange(ClearBestTimes) : BestTimesChange());
    Form_Load();
}

}  // namespace pz

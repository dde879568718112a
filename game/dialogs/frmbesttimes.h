#pragma once
#include <QDialog>
#include <QPushButton>
#include <QTreeWidget>
#include <functional>

#include "game/persist/besttimes.h"
#include "platform/filedialogs.h"

namespace pz {

// "Puzzora - Best Times": the 20 entries, Clear All and OK.
class frmBestTimes : public QDialog {
    Q_OBJECT
public:
    // table is the table shown; apply makes a change (none: just a rewrite)
    // to it and its file.
    frmBestTimes(const BestTimesTable& table, Prompts& prompts, std::function<void(const BestTimesChange&)> apply,
                 QWidget* parent = nullptr);

    void Form_Load();
    void cmdClearAll_Click();
    void OKButton_Click() { accept(); }

    QTreeWidget* lstViewBestTimes = nullptr;
    QPushButton* cmdClearAll = nullptr;
    QPushButton* OKButton = nullptr;

private:
    const BestTimesTable& table_;
    Prompts& prompts_;
    std::function<void(const BestTimesChange&)> apply_;
};

}  // namespace pz

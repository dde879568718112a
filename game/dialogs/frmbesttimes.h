#pragma once
#include <QDialog>
#include <QPushButton>
#include <QTreeWidget>
#include <functional>

#include "game/model/globals.h"
#include "platform/filedialogs.h"

namespace pz {

// "Puzzora - Best Times": the 20 entries, Clear All and OK.
class frmBestTimes : public QDialog {
    Q_OBJECT
public:
    // save writes the table to its file.
    frmBestTimes(Globals& g, Prompts& prompts, std::function<void()> save, QWidget* parent = nullptr);

    void Form_Load();
    void cmdClearAll_Click();
    void OKButton_Click() { accept(); }

    QTreeWidget* lstViewBestTimes = nullptr;
    QPushButton* cmdClearAll = nullptr;
    QPushButton* OKButton = nullptr;

private:
    Globals& g_;
    Prompts& prompts_;
    std::function<void()> save_;
};

}  // namespace pz

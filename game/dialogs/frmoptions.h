#pragma once
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <functional>

#include "game/dialogs/frmcolorpicker.h"
#include "game/model/settings.h"
#include "game/persist/settings.h"
#include "platform/filedialogs.h"

namespace pz {

// What the options dialog asks of the main window.
class OptionsHost {
public:
    virtual ~OptionsHost() = default;
    virtual bool PuzzleLoaded() const = 0;
    virtual bool SetWholeImage() = 0;
    virtual void mnuFileScramble_Click() = 0;
    virtual void InitPreview() = 0;
    virtual void ResetOutlineColors() = 0;
    virtual void picPuzzle_Paint() = 0;
};

// The numbers of pieces the dialog offers, in list order.
extern const std::array<int16_t, 98> kPieceCounts;

class frmOptions : public QDialog {
    Q_OBJECT
public:
    frmOptions(Settings& settings, SettingsStore& store, Prompts& prompts, OptionsHost& host,
               QWidget* parent = nullptr);

    void Form_Load();
    void cmbPieces_Click();
    void cmdPickBackColor_Click();
    void cmdPickOutlineColor_Click();
    void cmdPickPreviewCaptionBackColor_Click();
    void cmdPickPreviewCaptionTextColor_Click();
    void cmdApply_Click();
    void cmdOK_Click();
    void cmdCancel_Click() { reject(); }

    QGroupBox *fraOptions = nullptr, *fraNumPieces = nullptr, *fraMainColors = nullptr, *fraPreviewCaption = nullptr,
              *fraPreviewSize = nullptr, *fraAdvancedOptions = nullptr;
    QComboBox* cmbPieces = nullptr;
    QCheckBox *chkOutlinePieces = nullptr, *chkTimePuzzle = nullptr, *chkSystemMemory = nullptr,
              *chkResumeLastPuzzle = nullptr;
    ClickableLabel* lblSystemMemory = nullptr;   // the system memory box's caption
    ColorSwatch *shpOutlineColor = nullptr, *shpBackgroundColor = nullptr, *shpPreviewCaptionTextColor = nullptr,
                *shpPreviewCaptionBackColor = nullptr;
    QPushButton *cmdPickOutlineColor = nullptr, *cmdPickBackColor = nullptr, *cmdPickPreviewCaptionTextColor = nullptr,
                *cmdPickPreviewCaptionBackColor = nullptr;
    QRadioButton *optPreviewSizeLarge = nullptr, *optPreviewSizeMedium = nullptr, *optPreviewSizeSmall = nullptr;
    QPushButton *cmdOK = nullptr, *cmdCancel = nullptr, *cmdApply = nullptr;

    // Shows the colour picker modally over parent, starting from the
    // answer's colour and leaving the picked one there; tests may replace it.
    std::function<void(QWidget* parent, PickedColor& answer)> showColorPicker;

private:
    void BuildPiecesFrame();
    void BuildColourFrames();
    void BuildPreviewSizeFrame();
    void BuildAdvancedFrame();
    void LayOut();
    void PickColor(Colour& colour, ColorSwatch* swatch, Setting which, bool outline);
    // A new number of pieces, when one is chosen: true when it is refused.
    bool ApplyNumberOfPieces(bool& changed);

    Settings& s_;
    SettingsStore& store_;
    Prompts& prompts_;
    OptionsHost& host_;
    int16_t selectedPieces_ = 0;
    int16_t appliedListIndex_ = 0;   // the list entry of the count in force
    uint8_t selectedPreviewSize_ = 0;
};

}  // namespace pz

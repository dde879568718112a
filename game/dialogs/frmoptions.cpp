#include "game/dialogs/frmoptions.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include "game/model/colors.h"

namespace pz {

const std::array<int16_t, 98> kPieceCounts = {
    12,  15,  16,  18,  20,  21,  24,  25,  28,  30,  35,  36,  40,  42,  48,  49,  56,  63,  64,  70,
    72,  77,  80,  81,  88,  90,  96,  98,  99,  100, 104, 108, 110, 117, 120, 121, 130, 132, 140, 143,
    144, 150, 153, 154, 156, 160, 165, 168, 169, 176, 180, 182, 187, 192, 195, 196, 198, 204, 208, 209,
    210, 216, 221, 224, 225, 228, 234, 238, 240, 242, 247, 250, 252, 253, 256, 260, 266, 270, 272, 273,
    280, 286, 288, 289, 294, 297, 299, 300, 304, 306, 308, 312, 315, 319, 320, 322, 323, 324};

frmOptions::frmOptions(Settings& settings, SettingsStore& store, Prompts& prompts, OptionsHost& host,
                       QWidget* parent)
    : QDialog(parent), s_(settings), store_(store), prompts_(prompts), host_(host) {
    setWindowTitle(QStringLiteral("Options"));
    showColorPicker = [](QWidget* owner, PickedColor& answer) {
        frmColorPicker picker(answer, owner);
        picker.exec();
    };
    BuildPiecesFrame();
    BuildColourFrames();
    BuildPreviewSizeFrame();
    BuildAdvancedFrame();
    LayOut();

    connect(cmbPieces, &QComboBox::currentIndexChanged, this, [this] { cmbPieces_Click(); });
    connect(cmdPickBackColor, &QPushButton::clicked, this, [this] { cmdPickBackColor_Click(); });
    connect(cmdPickOutlineColor, &QPushButton::clicked, this, [this] { cmdPickOutlineColor_Click(); });
    connect(cmdPickPreviewCaptionBackColor, &QPushButton::clicked, this, [this] { cmdPickPreviewCaptionBackColor_Click(); });
    connect(cmdPickPreviewCaptionTextColor, &QPushButton::clicked, this, [this] { cmdPickPreviewCaptionTextColor_Click(); });
    connect(cmdApply, &QPushButton::clicked, this, [this] { cmdApply_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    Form_Load();
}

void frmOptions::BuildPiecesFrame() {
    fraNumPieces = new QGroupBox(QStringLiteral("Number of Pieces"));
    cmbPieces = new QComboBox;
    for (int16_t n : kPieceCounts) cmbPieces->addItem(QString::number(n), 0);
    chkOutlinePieces = new QCheckBox(QStringLiteral("Show Outline Around Pieces"));
    chkOutlinePieces->setChecked(true);
    chkTimePuzzle = new QCheckBox(QStringLiteral("Track Elapsed Time Putting Puzzle Togrther"));
    auto* pieces = new QGridLayout(fraNumPieces);
    pieces->addWidget(new QLabel(QStringLiteral("Number of Pieces:")), 0, 0);
    pieces->addWidget(cmbPieces, 0, 1);
    pieces->addWidget(chkOutlinePieces, 1, 0, 1, 2);
    pieces->addWidget(chkTimePuzzle, 2, 0, 1, 2);
    pieces->setColumnStretch(2, 1);
}

void frmOptions::BuildColourFrames() {
    auto colourRow = [](QGridLayout* grid, int row, const QString& label, ColorSwatch*& swatch, QPushButton*& button) {
        swatch = new ColorSwatch;
        swatch->setFrameShape(QFrame::Box);
        swatch->setMinimumSize(48, 20);
        button = new QPushButton(QStringLiteral("Pick Color"));
        grid->addWidget(new QLabel(label), row, 0);
        grid->addWidget(swatch, row, 1);
        grid->addWidget(button, row, 2);
    };
    fraMainColors = new QGroupBox(QStringLiteral("Main Colors"));
    auto* main = new QGridLayout(fraMainColors);
    colourRow(main, 0, QStringLiteral("Outline"), shpOutlineColor, cmdPickOutlineColor);
    colourRow(main, 1, QStringLiteral("Background"), shpBackgroundColor, cmdPickBackColor);
    fraPreviewCaption = new QGroupBox(QStringLiteral("Preview Caption Colors"));
    auto* caption = new QGridLayout(fraPreviewCaption);
    colourRow(caption, 0, QStringLiteral("Text"), shpPreviewCaptionTextColor, cmdPickPreviewCaptionTextColor);
    colourRow(caption, 1, QStringLiteral("Background"), shpPreviewCaptionBackColor, cmdPickPreviewCaptionBackColor);
}

void frmOptions::BuildPreviewSizeFrame() {
    fraPreviewSize = new QGroupBox(QStringLiteral("Preview Size"));
    optPreviewSizeLarge = new QRadioButton(QStringLiteral("Large (1/2 Puzzle Size)"));
    optPreviewSizeMedium = new QRadioButton(QStringLiteral("Medium (1/4 Puzzle Size)"));
    optPreviewSizeSmall = new QRadioButton(QStringLiteral("Small (1/8 Puzzle Size)"));
    optPreviewSizeMedium->setChecked(true);
    auto* sizes = new QVBoxLayout(fraPreviewSize);
    sizes->addWidget(optPreviewSizeLarge);
    sizes->addWidget(optPreviewSizeMedium);
    sizes->addWidget(optPreviewSizeSmall);
}

void frmOptions::BuildAdvancedFrame() {
    fraAdvancedOptions = new QGroupBox(QStringLiteral("Advanced Options"));
    chkSystemMemory = new QCheckBox(QStringLiteral(
        "Use System Memory to Store Image (Enable this if you are unable to open images larger than your desktop "
        "size.)"));
    auto* note = new QLabel(QStringLiteral("NOTE: This setting is slower, so only enable it if you need to."));
    note->setWordWrap(true);
    auto* advanced = new QVBoxLayout(fraAdvancedOptions);
    // The long caption wraps in a label beside the box; clicking it toggles
    // the box like a check box's own caption.
    lblSystemMemory = new ClickableLabel(chkSystemMemory->text());
    lblSystemMemory->setWordWrap(true);
    chkSystemMemory->setAccessibleName(chkSystemMemory->text());
    chkSystemMemory->setText(QString());
    connect(lblSystemMemory, &ClickableLabel::clicked, chkSystemMemory, &QCheckBox::toggle);
    auto* sysRow = new QHBoxLayout;
    sysRow->addWidget(chkSystemMemory, 0, Qt::AlignTop);
    sysRow->addWidget(lblSystemMemory, 1);
    advanced->addLayout(sysRow);
    advanced->addWidget(note);
}

void frmOptions::LayOut() {
    fraOptions = new QGroupBox;
    auto* grid = new QGridLayout(fraOptions);
    grid->addWidget(fraNumPieces, 0, 0, 1, 2);
    grid->addWidget(fraMainColors, 1, 0);
    grid->addWidget(fraPreviewCaption, 1, 1);
    grid->addWidget(fraPreviewSize, 2, 0);
    grid->addWidget(fraAdvancedOptions, 2, 1);

    cmdOK = new QPushButton(QStringLiteral("OK"));
    cmdCancel = new QPushButton(QStringLiteral("Cancel"));
    cmdApply = new QPushButton(QStringLiteral("Apply"));
    cmdOK->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdApply);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraOptions);
    layout->addLayout(buttons);
    // Made last, so it comes last in the tab order too.
    chkResumeLastPuzzle = new QCheckBox(QStringLiteral("Resume the last puzzle at start"));
    layout->addWidget(chkResumeLastPuzzle);
}

void frmOptions::Form_Load() {
    shpBackgroundColor->SetColor(s_.Background.Color);
    shpOutlineColor->SetColor(s_.Outline.Color);
    shpPreviewCaptionBackColor->SetColor(s_.PreviewCaptionBack.Color);
    shpPreviewCaptionTextColor->SetColor(s_.PreviewCaptionText.Color);
    chkOutlinePieces->setChecked(s_.OutlinePieces);
    {
        const int index = std::clamp<int>(s_.PiecesListIndex, 0, int(kPieceCounts.size()) - 1);
        QSignalBlocker quiet(cmbPieces);
        cmbPieces->setCurrentIndex(index);
    }
    cmbPieces_Click();
    appliedListIndex_ = s_.PiecesListIndex;
    if (s_.PreviewSize == 4) optPreviewSizeSmall->setChecked(true);
    if (s_.PreviewSize == 3) optPreviewSizeMedium->setChecked(true);
    if (s_.PreviewSize == 2) optPreviewSizeLarge->setChecked(true);
    if (s_.TimePuzzle) chkTimePuzzle->setChecked(true);
    if (s_.SystemMemory) chkSystemMemory->setChecked(true);
    chkResumeLastPuzzle->setChecked(s_.ResumeLastPuzzle);
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->availableGeometry();
        move(s.x() + (s.width() - width()) / 2, s.y() + (s.height() - height()) / 2);
    }
}

void frmOptions::cmbPieces_Click() {
    const int index = cmbPieces->currentIndex();
    if (index < 0) return;
    selectedPieces_ = int16_t(cmbPieces->itemText(index).toInt());
    s_.PiecesListIndex = int16_t(index);
}

void frmOptions::PickColor(Colour& colour, ColorSwatch* swatch, Setting which, bool outline) {
    // The picker's answer, asked afresh each time from the colour in force.
    PickedColor picked{colour.Red, colour.Green, colour.Blue};
    showColorPicker(this, picked);
    if (!picked.ColorPicked) return;
    colour = MakeColour(picked.PickedRed, picked.PickedGreen, picked.PickedBlue);
    swatch->SetColor(colour.Color);
    if (outline) {
        host_.ResetOutlineColors();
        host_.picPuzzle_Paint();   // the new outline shows at once
    }
    SaveSetting(store_, s_, which);
}

void frmOptions::cmdPickBackColor_Click() {
    PickColor(s_.Background, shpBackgroundColor, Setting::BackgroundColor, false);
}

void frmOptions::cmdPickOutlineColor_Click() { PickColor(s_.Outline, shpOutlineColor, Setting::OutlineColor, true); }

void frmOptions::cmdPickPreviewCaptionBackColor_Click() {
    PickColor(s_.PreviewCaptionBack, shpPreviewCaptionBackColor, Setting::PreviewCaptionBackColor, false);
}

void frmOptions::cmdPickPreviewCaptionTextColor_Click() {
    PickColor(s_.PreviewCaptionText, shpPreviewCaptionTextColor, Setting::PreviewCaptionTextColor, false);
}

bool frmOptions::ApplyNumberOfPieces(bool& changed) {
    // A new number of pieces takes effect, and is stored with its list
    // entry, only when the puzzle on screen could be cut into it (or none is
    // loaded); a refused rebuild leaves puzzle, count and list entry as they
    // were, and SetWholeImage has said why.
    changed = false;
    if (selectedPieces_ == s_.NumberOfPieces) return false;
    if (selectedPieces_ > 325 || selectedPieces_ < 12) {
        prompts_.Message(this, QStringLiteral("Puzzora"), QStringLiteral("The number of pieces has to be between 4 and 600."));
        return false;
    }
    const int16_t previous = s_.NumberOfPieces;
    s_.NumberOfPieces = selectedPieces_;
    const bool refused = host_.PuzzleLoaded() && !host_.SetWholeImage();
    changed = !refused;
    if (refused) {
        s_.NumberOfPieces = previous;
        s_.PiecesListIndex = appliedListIndex_;
        QSignalBlocker quiet(cmbPieces);
        cmbPieces->setCurrentIndex(appliedListIndex_);
        selectedPieces_ = int16_t(cmbPieces->currentText().toInt());
    }
    return refused;
}

void frmOptions::cmdApply_Click() {
    bool changed = false;
    if (!ApplyNumberOfPieces(changed)) {
        SaveSetting(store_, s_, Setting::PiecesListIndex);
        appliedListIndex_ = s_.PiecesListIndex;
    }
    if (chkOutlinePieces->checkState() == Qt::Unchecked) s_.OutlinePieces = false;
    if (chkOutlinePieces->checkState() == Qt::Checked) s_.OutlinePieces = true;
    SaveSetting(store_, s_, Setting::OutlinePieces);
    if (changed) {
        SaveSetting(store_, s_, Setting::NumberOfPieces);
        if (host_.PuzzleLoaded()) host_.mnuFileScramble_Click();
    }

    selectedPreviewSize_ = optPreviewSizeSmall->isChecked()    ? 4
                           : optPreviewSizeMedium->isChecked() ? 3
                           : optPreviewSizeLarge->isChecked()  ? 2
                                                               : 0;
    if (selectedPreviewSize_ != 0 && selectedPreviewSize_ != s_.PreviewSize) {
        s_.PreviewSize = selectedPreviewSize_;
        SaveSetting(store_, s_, Setting::PreviewSize);
        host_.InitPreview();
    }
    s_.SystemMemory = chkSystemMemory->isChecked();
    SaveSetting(store_, s_, Setting::SystemMemory);
    s_.TimePuzzle = chkTimePuzzle->isChecked();
    SaveSetting(store_, s_, Setting::TimePuzzle);
    // Stored only once the player changes it: a player who never does keeps
    // the 27 keys alone.
    if (chkResumeLastPuzzle->isChecked() != s_.ResumeLastPuzzle) {
        s_.ResumeLastPuzzle = chkResumeLastPuzzle->isChecked();
        SaveSetting(store_, s_, Setting::ResumeLastPuzzle);
    }
    host_.picPuzzle_Paint();
}

void frmOptions::cmdOK_Click() {
    cmdApply_Click();
    accept();
}

}  // namespace pz

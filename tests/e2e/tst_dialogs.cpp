// The options, colour picker and about dialogs with real clicks and typing,
// offscreen, against a real main window.

#include "game/dialogs/frmabout.h"
#include "game/dialogs/frmcolorpicker.h"
#include "game/dialogs/frmoptions.h"
#include "shell/harness.h"

using namespace pz;

namespace {
// Runs f on the colour picker once it is showing modally.
void WhenPickerShows(std::function<void(frmColorPicker*)> f) {
    QTimer::singleShot(0, [f] {
        auto* picker = qobject_cast<frmColorPicker*>(QApplication::activeModalWidget());
        QVERIFY(picker);
        f(picker);
    });
}
void Type(QLineEdit* box, const QString& text) {
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}
}  // namespace

class TestDialogs : public QObject, test::GameFixture {
    Q_OBJECT

    void OpenPuzzle() {
        OpenWith(MakePicture("p.png", 480, 360));
        QVERIFY(Loaded());
    }
    std::unique_ptr<frmOptions> Options() {
        auto d = std::make_unique<frmOptions>(s_, store_, prompts_, *w_, w_.get());
        d->show();
        return d;
    }

private slots:
    void init() { QVERIFY(Restart()); }

    void optionsShowsTheSettingsAndAppliesTheListEntry() {
        OpenPuzzle();
        QCOMPARE(s_.NumberOfPieces, int16_t(64));
        auto d = Options();
        QCOMPARE(d->cmbPieces->count(), 98);
        QCOMPARE(d->cmbPieces->itemText(0), QString("12"));
        QCOMPARE(d->cmbPieces->itemText(97), QString("324"));
        QCOMPARE(d->cmbPieces->currentText(), QString("77"));   // entry 21 on an empty store
        QCOMPARE(d->chkTimePuzzle->text(), QString("Track Elapsed Time Putting Puzzle Togrther"));
        QVERIFY(d->chkOutlinePieces->isChecked() && d->optPreviewSizeMedium->isChecked());
        QCOMPARE(d->shpBackgroundColor->Color(), QColor(212, 208, 200));
        QVERIFY(d->lblSystemMemory->text().startsWith("Use System Memory to Store Image"));
        QTest::mouseClick(d->cmdApply, Qt::LeftButton);
        QCOMPARE(QString::fromStdString(store_.values["Number of Pieces"]), QString("77"));
        QCOMPARE(s_.NumberOfPieces, int16_t(77));
        QCOMPARE(m().GroupCount, int16_t(77));   // rebuilt and scrambled
        QVERIFY(d->isVisible());                           // Apply leaves it open
    }

    void okStoresFourKeysAndTheCheckBoxes() {
        s_.PiecesListIndex = 18;   // "64", the number in force
        auto d = Options();
        store_.values.clear();
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        QStringList keys;
        for (const auto& [k, v] : store_.values) keys << QString::fromStdString(k);
        keys.sort();
        QCOMPARE(keys, (QStringList{"List Index", "Outline Pieces", "System Memory", "Time Puzzle"}));
        QCOMPARE(QString::fromStdString(store_.values["Time Puzzle"]), QString("True"));
        QVERIFY(!d->isVisible());
        // Each check box changed, the memory one by its label.
        d = Options();
        QTest::mouseClick(d->chkOutlinePieces, Qt::LeftButton);
        QTest::mouseClick(d->lblSystemMemory, Qt::LeftButton);
        QVERIFY(d->chkSystemMemory->isChecked());
        QTest::mouseClick(d->chkTimePuzzle, Qt::LeftButton);
        // The one control beyond the described ones comes last, in the tab
        // order too, and its key is written once it is changed.
        QWidget* last = nullptr;
        for (QWidget* w = d->nextInFocusChain(); w != d.get(); w = w->nextInFocusChain())
            if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(d.get())) last = w;
        QCOMPARE(last, d->chkResumeLastPuzzle);
        QCOMPARE(d->chkResumeLastPuzzle->text(), QString("Resume the last puzzle at start"));
        QTest::mouseClick(d->chkResumeLastPuzzle, Qt::LeftButton, {}, QPoint(8, d->chkResumeLastPuzzle->height() / 2));
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        QVERIFY(!s_.OutlinePieces && s_.SystemMemory && !s_.TimePuzzle && s_.ResumeLastPuzzle);
        QCOMPARE(QString::fromStdString(store_.values["Outline Pieces"]), QString("False"));
        QCOMPARE(QString::fromStdString(store_.values["System Memory"]), QString("True"));
        QCOMPARE(QString::fromStdString(store_.values["Resume Last Puzzle"]), QString("True"));
    }

    void cancelKeepsTheNumberButRemembersTheEntry() {
        auto d = Options();
        d->cmbPieces->setFocus();
        QTest::keyClick(d->cmbPieces, Qt::Key_Down);   // 77 -> 80
        QCOMPARE(d->cmbPieces->currentText(), QString("80"));
        QTest::keyClick(d.get(), Qt::Key_Escape);
        QVERIFY(!d->isVisible());
        QCOMPARE(s_.NumberOfPieces, int16_t(64));
        QVERIFY(store_.values.empty());
        auto again = Options();
        QCOMPARE(again->cmbPieces->currentText(), QString("80"));
    }

    void pickedBackgroundSurvivesCancel() {
        auto d = Options();
        WhenPickerShows([](frmColorPicker* p) {
            QTest::mouseClick(p->lblColor[13], Qt::LeftButton);
            QTest::mouseClick(p->OKButton, Qt::LeftButton);
        });
        QTest::mouseClick(d->cmdPickBackColor, Qt::LeftButton);
        QCOMPARE(QPoint(s_.Background.Color, s_.Background.ColorFill), QPoint(0, 0));
        QCOMPARE(d->shpBackgroundColor->Color(), QColor(0, 0, 0));
        QCOMPARE(QString::fromStdString(store_.values["Background Color Fill"]), QString("0"));
        QTest::mouseClick(d->cmdCancel, Qt::LeftButton);
        QCOMPARE(s_.Background.Color, 0);
        // A cancelled pick changes nothing.
        auto d2 = Options();
        store_.values.clear();
        WhenPickerShows([](frmColorPicker* p) {
            QTest::mouseClick(p->lblColor[4], Qt::LeftButton);
            p->close();
        });
        QTest::mouseClick(d2->cmdPickBackColor, Qt::LeftButton);
        QCOMPARE(s_.Background.Color, 0);
        QVERIFY(store_.values.empty());
    }

    void pickedOutlineShowsAtOnce() {
        OpenPuzzle();
        auto d = Options();
        // Stack the pieces in a corner, well away from the home frame.
        for (int p = 1; p <= s_.NumberOfPieces; ++p) m().Pieces[p].X = m().Pieces[p].Y = 5;
        w_->picPuzzle_Paint();
        const RectL r = m().PuzzleRect;
        QCOMPARE(w_->backBuffer().Pixel(r.Left, r.Top), 0xFFFFFFu);
        WhenPickerShows([](frmColorPicker* p) {
            Type(p->txtRed, "255");
            Type(p->txtGreen, "0");
            Type(p->txtBlue, "0");
            QTest::mouseClick(p->OKButton, Qt::LeftButton);
        });
        QTest::mouseClick(d->cmdPickOutlineColor, Qt::LeftButton);
        QVERIFY(d->isVisible());
        QCOMPARE(w_->backBuffer().Pixel(r.Left, r.Top), 0xFF0000u);   // red, in the frame already
        QCOMPARE(QString::fromStdString(store_.values["Outline Color"]), QString("255"));
        QCOMPARE(QString::fromStdString(store_.values["Outline Color Fill"]), QString("16711680"));
    }

    void onlyAChangedPreviewSizeIsStored() {
        OpenPuzzle();
        auto d = Options();
        QTest::mouseClick(d->cmdApply, Qt::LeftButton);
        QCOMPARE(store_.values.count("Preview Size"), 0u);
        const int widthBefore = m().View.PreviewWidth;
        QTest::mouseClick(d->optPreviewSizeLarge, Qt::LeftButton);
        QTest::mouseClick(d->cmdApply, Qt::LeftButton);
        QCOMPARE(QString::fromStdString(store_.values["Preview Size"]), QString("2"));
        QCOMPARE(m().View.PreviewWidth, m().PuzzleWidth / 2);
        QVERIFY(m().View.PreviewWidth > widthBefore);
        store_.values.clear();
        QTest::mouseClick(d->cmdApply, Qt::LeftButton);
        QCOMPARE(store_.values.count("Preview Size"), 0u);
    }

    void colorPickerTextRules() {
        PickedColor answer{10, 20, 30};
        frmColorPicker p(answer);
        p.show();
        QCOMPARE(p.txtRed->text(), QString("10"));
        QCOMPARE(p.shpPreviewColor->Color(), QColor(10, 20, 30));
        Type(p.txtRed, "300");
        QCOMPARE(p.txtRed->text(), QString("255"));
        Type(p.txtGreen, "ab");
        QCOMPARE(p.shpPreviewColor->Color(), QColor(255, 0, 30));
        Type(p.txtBlue, "");
        QCOMPARE(p.shpPreviewColor->Color(), QColor(255, 0, 0));
        Type(p.txtBlue, "-5");   // the minus sign cannot be typed
        QCOMPARE(p.txtBlue->text(), QString("5"));
        Type(p.txtBlue, "1234");   // three characters at most
        QCOMPARE(p.txtBlue->text(), QString("123"));
        p.txtGreen->setText("12.5");
        QCOMPARE(p.shpPreviewColor->Color().green(), 12);
        p.txtGreen->setText("13.5");
        QCOMPARE(p.shpPreviewColor->Color().green(), 14);
        QTest::mouseClick(p.OKButton, Qt::LeftButton);
        QVERIFY(answer.ColorPicked);
        QCOMPARE(QColor(answer.PickedRed, answer.PickedGreen, answer.PickedBlue), QColor(255, 14, 123));
        // Swatches: the palette as listed, and 13 is black.
        QCOMPARE(p.lblColor[2]->Color(), QColor(0, 175, 200));
        QCOMPARE(p.lblColor[12]->Color(), p.lblColor[10]->Color());
        p.lblColor_Click(13);
        QCOMPARE(p.txtRed->text(), QString("0"));
        QCOMPARE(p.shpPreviewColor->Color(), QColor(0, 0, 0));
        for (auto [text, number] : {std::pair{"  42abc", 42.0}, {"4 2", 42.0}, {".5", 0.5}, {"x1", 0.0}})
            QCOMPARE(LeadingNumber(text), number);
    }

    void aboutTextsLinksAndSystemInfo() {
        QList<QUrl> opened;
        QStringList started;
        bool startWorks = true;
        frmAbout a({prompts_, [&](const QUrl& u) { opened << u; return true; },
                    [&](const QString& p) { started << p; return startWorks; }});
        a.show();
        QCOMPARE(a.windowTitle(), QString("About Puzzora"));
        QCOMPARE(a.lblTitle->text(), QString("Puzzora"));
        QCOMPARE(a.lblVersion->text(), QString("Version 1.2.106"));
        QVERIFY(a.lblEmailAddress->text().contains(">puzzora@example.org<"));
        emit a.lblWebSiteURL->linkActivated(QString());
        emit a.lblEmailAddress->linkActivated(QString());
        QCOMPARE(opened, (QList<QUrl>{QUrl("https://puzzora.example.org/"), QUrl("mailto:puzzora@example.org")}));

        const QByteArray path = qgetenv("PATH");
        QTemporaryDir bin;
        qputenv("PATH", bin.path().toLocal8Bit());
        QTest::mouseClick(a.cmdSysInfo, Qt::LeftButton);
        QCOMPARE(prompts_.messages, QStringList{"System Information Is Unavailable At This Time"});
        QCOMPARE(prompts_.titles.last(), QString("Puzzora"));
        QVERIFY(started.isEmpty());
        // A tool on PATH is started; if it will not start, the same message.
        QVERIFY(test::WriteFile(bin.filePath("gnome-system-monitor"), "#!/bin/sh\n"));
        QFile::setPermissions(bin.filePath("gnome-system-monitor"), QFile::ExeOwner | QFile::ReadOwner);
        QTest::mouseClick(a.cmdSysInfo, Qt::LeftButton);
        QCOMPARE(started, QStringList{bin.filePath("gnome-system-monitor")});
        QCOMPARE(prompts_.messages.size(), 1);
        startWorks = false;
        QTest::mouseClick(a.cmdSysInfo, Qt::LeftButton);
        QCOMPARE(prompts_.messages.size(), 2);
        qputenv("PATH", path);
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"

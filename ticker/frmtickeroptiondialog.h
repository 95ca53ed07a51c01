#pragma once

#include <QDialog>
#include <QtGlobal>
#include <memory>

class ColorPicker;
class DialogHost;
class FittedLabel;
class QCheckBox;
class QComboBox;
class QSlider;
class QGroupBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class UpDown;
class frmTicker;
struct AppState;

// The ticker settings dialog: opacity, seconds per article, the pop-up distance from the
// top of the screen, keeping the ticker above other windows, and its two colours; below
// them, where the ticker goes (a window or a band at a screen edge), on which screen, and
// whether headlines run past as a marquee, and how fast. OK cleans the three numbers up,
// stores everything in the settings record (memory only) and applies it to the ticker at
// once; Cancel, Esc and the close box change nothing. Modeless; one at a time.
class frmTickerOptionDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidthTwips = 6030;
    // The design's 3195, and the placement group below the display group with its row for
    // reading aloud.
    static constexpr int kClientHeightTwips = 5415;

    // Colours are chosen through QColorDialog.
    frmTickerOptionDialog(AppState& state, frmTicker& ticker, DialogHost& host,
                          QWidget* parent = nullptr);
    // Colours are chosen through the given picker (tests answer it).
    frmTickerOptionDialog(AppState& state, frmTicker& ticker, DialogHost& host, ColorPicker& picker,
                          QWidget* parent = nullptr);
    ~frmTickerOptionDialog() override;

    // Opens the dialog filled from the settings, or brings the open one forward unchanged.
    void showOrRaise();

    void Form_Load();
    void cmdBackgroundColor_Click();
    void cmdFontColor_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

    // Outer window position in twips.
    [[nodiscard]] QPoint topLeftTwips() const { return windowTopLeft; }
    // The sample's colours, 0x00BBGGRR; stored on OK.
    [[nodiscard]] qint32 sampleBackColor() const { return backColor; }
    [[nodiscard]] qint32 sampleForeColor() const { return foreColor; }

    QGroupBox* fraView = nullptr;
    QLabel* lblTransp = nullptr;
    QLineEdit* txtTransp = nullptr;
    UpDown* updownTransp = nullptr;
    QLabel* lblTransp2 = nullptr;
    QLabel* lblTransp3 = nullptr;
    QLabel* lblNewsInterval = nullptr;
    QLineEdit* txtNewsInterval = nullptr;
    UpDown* updownNewsInterval = nullptr;
    QLabel* lblNewsInterval2 = nullptr;
    QLabel* lblTopMargin = nullptr;
    QLineEdit* txtTopMargin = nullptr;
    UpDown* updownTopMargin = nullptr;
    QLabel* lblTopMargin2 = nullptr;
    QLabel* lblTopMargin3 = nullptr;
    QCheckBox* chkKeepFront = nullptr;
    QCheckBox* chkFlatMode = nullptr;
    QFrame* lineBorder1 = nullptr;
    QLabel* lblColor = nullptr;
    FittedLabel* lblColorSample = nullptr;
    QPushButton* cmdFontColor = nullptr;
    QPushButton* cmdBackgroundColor = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    QGroupBox* fraPlacement = nullptr;
    QLabel* lblPlacement = nullptr;
    QComboBox* cboPlacement = nullptr;
    QLabel* lblScreen = nullptr;
    QComboBox* cboScreen = nullptr;
    QCheckBox* chkMarquee = nullptr;
    QLabel* lblMarqueeSpeed = nullptr;
    QSlider* sldMarqueeSpeed = nullptr;
    // TICKER_SPEAK; disabled, with a tool tip that says why, when there is no speech engine.
    QCheckBox* chkSpeak = nullptr;

private:
    void buildWidgets();
    void buildPlacementGroup();
    // Widens the display group (and the dialog) until every caption in it fits in the
    // dialog's own font size, "フラットモードを有効" too.
    void fitCaptions();
    void fillScreens();
    // Widens the screen box until its longest entry shows whole.
    void fitScreenBox();
    // Makes the dialog and its two frames wider, OK and キャンセル moving right.
    void widen(int pixels);
    void showSampleColors();

    AppState& state;
    frmTicker& ticker;
    DialogHost& host;
    std::unique_ptr<ColorPicker> ownPicker;
    ColorPicker& CommonDialog;

    QPoint windowTopLeft;
    qint32 backColor = 0;
    qint32 foreColor = 0xFFFFFF;
};

#pragma once

#include <QDialog>

class DialogHost;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class UpDown;
struct AppState;

// The options dialog: the patrol's interval and mode, which articles the ticker shows,
// and how the ticker is shown; below those, whether sites' icons are shown (SITE_ICONS).
// Every opening starts from the settings as they are; OK cleans up the two numbers and
// writes all eight settings (memory only) and enables the main window's refresh commands by
// the patrol mode; Cancel, Esc and the close box change nothing. Modeless; one at a time.
class frmOption : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidthTwips = 7095;
    // The row below the design's 3990 twips holds the sites' icons box.
    static constexpr int kSiteIconsTopTwips = 3960;
    static constexpr int kClientHeightTwips = 3990 + 330;

    frmOption(AppState& state, DialogHost& host, QWidget* parent = nullptr);

    // Opens the dialog filled from the settings, or brings the open one forward unchanged.
    void showOrRaise();

    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();
    void chkOldNewsHide_Click();
    void optTickerFullView_Click();
    void optTickerPickup_Click();

    // Outer window position in twips.
    [[nodiscard]] QPoint topLeftTwips() const { return windowTopLeft; }

    QGroupBox* frmAutoPilot = nullptr;
    // "Pirot" as in the AUTO_PIROT_* keys of config.ini: the widgets are known by these names.
    QLabel* lblAutoPirotInterval = nullptr;
    QLineEdit* txtAutoPirotInterval = nullptr;
    UpDown* updownAutoPirotInterval = nullptr;
    QLabel* lblAutoPirotInterval2 = nullptr;
    QRadioButton* optPirotSimple = nullptr;
    QRadioButton* optPirotAllSite = nullptr;

    QGroupBox* frmNewsSelect = nullptr;
    QCheckBox* chkCheckedNewsHide = nullptr;
    QCheckBox* chkOldNewsHide = nullptr;
    QLabel* lblNews = nullptr;
    QLineEdit* txtNewsLimit = nullptr;
    UpDown* updownNewsLimit = nullptr;
    QLabel* lblNewsLimit = nullptr;

    QGroupBox* fraTickerView = nullptr;
    QRadioButton* optTickerFullView = nullptr;
    QLabel* lblTickerAutoLoad = nullptr;
    QCheckBox* chkTickerAutoLoad = nullptr;
    QRadioButton* optTickerPickup = nullptr;

    QCheckBox* chkSiteIcons = nullptr;

    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    void buildWidgets();

    AppState& state;
    DialogHost& host;
    QPoint windowTopLeft;
};

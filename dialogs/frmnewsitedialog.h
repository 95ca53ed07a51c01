#pragma once

#include <QDialog>

class DialogHost;
class QLabel;
class QLineEdit;
class QPushButton;
struct AppState;

// The new-site dialog, two steps on one button: "確認" reads the feed at the typed URL and
// takes the site's name and homepage from its channel; "登録" hands NewSiteRow to the main
// window, which adds the site. Stays above ordinary windows; modeless; one at a time.
class frmNewSiteDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidthTwips = 5400;
    static constexpr int kClientHeightTwips = 1470;

    frmNewSiteDialog(AppState& state, DialogHost& host, QWidget* parent = nullptr);

    // Opens the dialog in its first step, or brings the open one forward, its step and
    // texts unchanged.
    void showOrRaise();

    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();

    // True once the feed has been read: the next OK registers.
    [[nodiscard]] bool isProbed() const { return blnProbed; }
    // Outer window position in twips.
    [[nodiscard]] QPoint topLeftTwips() const { return windowTopLeft; }

    QLabel* lblURL = nullptr;
    QLineEdit* txtURL = nullptr;
    QLabel* lblName = nullptr;
    QLineEdit* txtName = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    void buildWidgets();
    // The first step; true when the feed was read and the dialog moved to the second.
    bool probeFeed();

    AppState& state;
    DialogHost& host;
    bool blnProbed = false;
    QPoint windowTopLeft;
};

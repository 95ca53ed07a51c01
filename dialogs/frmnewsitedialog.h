#pragma once

#include <QDialog>

class DialogHost;
struct FeedFetchResult;
class QLabel;
class QLineEdit;
class QPushButton;
struct AppState;

// The new-site dialog, two steps on one button: "確認" reads the feed at the typed URL and
// takes the site's name and homepage from its channel; "登録" hands NewSiteRow to the main
// window, which adds the site. Stays above ordinary windows; modeless; one at a time.
// The check runs in the background: the dialog says that it is checking and takes no
// second 確認 meanwhile; closing or cancelling it drops the check.
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
    // Closing the dialog in any way drops a check still running.
    void done(int result) override;

    // True once the feed has been read: the next OK registers.
    [[nodiscard]] bool isProbed() const { return blnProbed; }
    // True while the feed of 確認 is being fetched.
    [[nodiscard]] bool isChecking() const { return checkRequest != 0; }
    // Outer window position in twips.
    [[nodiscard]] QPoint topLeftTwips() const { return windowTopLeft; }

    QLabel* lblURL = nullptr;
    QLineEdit* txtURL = nullptr;
    QLabel* lblName = nullptr;
    QLineEdit* txtName = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    // What the check is doing or why it found no feed.
    QLabel* lblStatus = nullptr;

private:
    void buildWidgets();
    // The first step: starts reading the feed (with discover, a page is searched for the
    // feeds it names); probeFinished takes the result.
    void probeFeed(bool discover);
    void probeFinished(const FeedFetchResult& result);
    void endCheck();
    // Puts text into lblStatus, which takes the lines it needs beside the buttons.
    void showStatus(const QString& text);

    AppState& state;
    DialogHost& host;
    bool blnProbed = false;
    quint64 checkRequest = 0;
    QPoint windowTopLeft;
};

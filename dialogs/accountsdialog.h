#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <functional>

#include "accounts/accountsettings.h"
#include "platform/net/fetchoptions.h"
#include "platform/system/workerpool.h"

class AccountCheck;
class AccountsService;
class HttpClient;
class MessageBoxSeam;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class SecretStore;

// What the accounts dialog works with.
struct AccountsDialogSeams {
    // The folder of config.ini: accounts.ini, secrets.ini and accounts/ are kept there.
    QString folder;
    SecretStore& secrets;
    HttpClient& http;
    // Where the check's client reads the server's answers.
    WorkerPool& workers;
    FetchOptions options;
    MessageBoxSeam& messageBox;
    // The title of message boxes (the executable's base name).
    QString boxTitle;
    // Reads accounts.ini again after each change; none while the program runs no accounts.
    AccountsService* service = nullptr;
};

// The aggregator accounts of accounts.ini as a list the user edits: add, change and remove
// an account, check that its server takes the settings, and choose where its password is
// kept. Nothing here waits on the UI thread: the check, the keyring and the files answer
// later. Modeless; one at a time.
class AccountsDialog : public QDialog {
    Q_OBJECT
public:
    explicit AccountsDialog(const AccountsDialogSeams& seams, QWidget* parent = nullptr);
    ~AccountsDialog() override;

    // Opens the dialog with the accounts as accounts.ini has them, or brings the open one
    // forward unchanged.
    void showOrRaise();
    // Reads accounts.ini, fills the list and asks whether the desktop's keyring answers.
    void Form_Load();

    // Empties the fields for a new account.
    void cmdAdd_Click();
    // Logs in with the fields' settings; lblCheck says how it went.
    void cmdCheck_Click();
    // Keeps the password, then writes accounts.ini; lblStatus says how it went.
    void cmdSave_Click();
    // Removes the selected account after asking, with its password and its files.
    void cmdRemove_Click();

    [[nodiscard]] const QList<AccountSettings>& shownAccounts() const { return accounts; }
    // Number of the account the fields show; 0 for a new one.
    [[nodiscard]] int editedAccount() const { return editing; }
    [[nodiscard]] bool checking() const;
    // A save or removal is under way.
    [[nodiscard]] bool busy() const { return working; }
    // Whether the desktop's keyring answered when the dialog opened (false until it has).
    [[nodiscard]] bool keyringAnswers() const { return keyringOk; }
    void selectAccount(int row);

    QListWidget* lstAccounts = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdRemove = nullptr;
    QGroupBox* fraAccount = nullptr;
    QComboBox* cboType = nullptr;
    QLineEdit* txtURL = nullptr;
    QLineEdit* txtUser = nullptr;
    QLineEdit* txtPassword = nullptr;
    QRadioButton* optKeyring = nullptr;
    QRadioButton* optFile = nullptr;
    // Why the keyring cannot be used, and that the file can.
    QLabel* lblKeyring = nullptr;
    QCheckBox* chkMarkRead = nullptr;
    QPushButton* cmdCheck = nullptr;
    QLabel* lblCheck = nullptr;
    QLabel* lblStatus = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdClose = nullptr;

Q_SIGNALS:
    // A save or removal has ended, written or not (lblStatus says which).
    void changeEnded(bool ok);

protected:
    // Closing ends a check under way.
    void hideEvent(QHideEvent* event) override;

private:
    void buildWidgets();
    void fillList(int selectNumber);
    void showAccount(const AccountSettings* account);
    void updateButtons();
    void showKeyring();
    // The account the fields describe, or none with lblStatus saying why.
    [[nodiscard]] bool accountFromFields(AccountSettings& account);
    // Runs then at once when url keeps the password encrypted or the user said so once for
    // it already; otherwise after the user agrees.
    void confirmClearText(const QString& url, std::function<void()> then);
    void saveAccount(const AccountSettings& account, const QString& password);
    void writeList(const QList<AccountSettings>& edited, std::function<void(bool)> then);
    void endChange(bool ok, const QString& status);
    void showStatus(const QString& text);

    AccountsDialogSeams seams;
    AccountCheck* check = nullptr;
    QList<AccountSettings> accounts;
    int editing = 0;
    // Which read of a stored password the fields wait for; an older answer is dropped, and
    // so is one that comes after the user typed a password.
    quint64 passwordRead = 0;
    // Until it comes, neither a check nor a save would have the password.
    bool passwordPending = false;
    bool keyringOk = false;
    bool keyringProblem = false;
    bool working = false;
    // The http address the user agreed to send a password to in clear.
    QString clearTextAgreed;
    // Last: it ends first, while what its jobs use is still there.
    WorkerPool fileWorker{1};
};

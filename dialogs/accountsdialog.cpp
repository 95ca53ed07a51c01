#include "dialogs/accountsdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "accounts/accountcheck.h"
#include "accounts/accountsservice.h"
#include "accounts/marklog.h"
#include "accounts/secretstore.h"
#include "accounts/tickerchoices.h"
#include "platform/files/paths.h"
#include "platform/modal/messagebox.h"
#include "ui/twipslayout.h"

namespace {

// The files an account leaves beside config.ini: its tree, its marks not yet sent, where its
// headlines were read up to and the feeds it keeps out of the ticker. None may outlive it: a
// later account given the same number would start from them.
QStringList accountFiles(const QString& folder, int number) {
    const QString accountsFolder = joinPath(folder, QStringLiteral("accounts"));
    return {joinPath(accountsFolder, QStringLiteral("%1.opml").arg(number)),
            joinPath(accountsFolder, QStringLiteral("%1.marks").arg(number)),
            cursorPath(folder, number), hiddenFeedsPath(folder, number)};
}

}  // namespace

AccountsDialog::AccountsDialog(const AccountsDialogSeams& dialogSeams, QWidget* parent)
    : QDialog(parent), seams(dialogSeams) {
    setObjectName(QStringLiteral("AccountsDialog"));
    check = new AccountCheck(seams.http, seams.workers, seams.options, this);
    connect(check, &AccountCheck::finished, this, [this](const AccountCheck::Outcome& outcome) {
        lblCheck->setText(outcome.text);
        updateButtons();
    });
    buildWidgets();
}

AccountsDialog::~AccountsDialog() = default;

void AccountsDialog::buildWidgets() {
    setWindowTitle(tr("アカウント"));
    auto* root = new QVBoxLayout(this);

    auto* listRow = new QHBoxLayout;
    lstAccounts = new QListWidget(this);
    lstAccounts->setObjectName(QStringLiteral("lstAccounts"));
    lstAccounts->setAccessibleName(tr("アカウントの一覧"));
    listRow->addWidget(lstAccounts, 1);
    auto* listButtons = new QVBoxLayout;
    cmdAdd = new QPushButton(tr("追加(&N)"), this);
    cmdAdd->setObjectName(QStringLiteral("cmdAdd"));
    cmdRemove = new QPushButton(tr("削除(&D)"), this);
    cmdRemove->setObjectName(QStringLiteral("cmdRemove"));
    listButtons->addWidget(cmdAdd);
    listButtons->addWidget(cmdRemove);
    listButtons->addStretch(1);
    listRow->addLayout(listButtons);
    root->addLayout(listRow, 1);

    fraAccount = new QGroupBox(tr("アカウントの設定"), this);
    fraAccount->setObjectName(QStringLiteral("fraAccount"));
    auto* form = new QFormLayout(fraAccount);
    cboType = new QComboBox(fraAccount);
    cboType->setObjectName(QStringLiteral("cboType"));
    cboType->addItem(QStringLiteral("Tiny Tiny RSS"), QStringLiteral("ttrss"));
    txtURL = new QLineEdit(fraAccount);
    txtURL->setObjectName(QStringLiteral("txtURL"));
    txtURL->setPlaceholderText(QStringLiteral("https://rss.example.org/tt-rss/"));
    txtUser = new QLineEdit(fraAccount);
    txtUser->setObjectName(QStringLiteral("txtUser"));
    txtPassword = new QLineEdit(fraAccount);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    txtPassword->setEchoMode(QLineEdit::Password);
    optKeyring = new QRadioButton(tr("デスクトップのキーリング(&K)"), fraAccount);
    optKeyring->setObjectName(QStringLiteral("optKeyring"));
    optFile = new QRadioButton(tr("ファイル secrets.ini (暗号化されません)(&F)"), fraAccount);
    optFile->setObjectName(QStringLiteral("optFile"));
    optKeyring->setChecked(true);
    lblKeyring = new QLabel(fraAccount);
    lblKeyring->setObjectName(QStringLiteral("lblKeyring"));
    lblKeyring->setWordWrap(true);
    lblKeyring->hide();
    auto* storeBox = new QVBoxLayout;
    storeBox->addWidget(optKeyring);
    storeBox->addWidget(optFile);
    storeBox->addWidget(lblKeyring);
    chkMarkRead = new QCheckBox(tr("ティッカーに表示したら既読にする(&R)"), fraAccount);
    chkMarkRead->setObjectName(QStringLiteral("chkMarkRead"));
    form->addRow(tr("種類(&T):"), cboType);
    form->addRow(tr("URL(&U):"), txtURL);
    form->addRow(tr("ユーザー名(&M):"), txtUser);
    form->addRow(tr("パスワード(&P):"), txtPassword);
    form->addRow(tr("パスワードの保存先:"), storeBox);
    form->addRow(QString(), chkMarkRead);
    cmdCheck = new QPushButton(tr("接続を確認(&C)"), fraAccount);
    cmdCheck->setObjectName(QStringLiteral("cmdCheck"));
    lblCheck = new QLabel(fraAccount);
    lblCheck->setObjectName(QStringLiteral("lblCheck"));
    lblCheck->setWordWrap(true);
    lblCheck->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* checkRow = new QHBoxLayout;
    checkRow->addWidget(cmdCheck, 0, Qt::AlignTop);
    checkRow->addWidget(lblCheck, 1);
    form->addRow(checkRow);
    root->addWidget(fraAccount);

    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setWordWrap(true);
    root->addWidget(lblStatus);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    cmdSave = new QPushButton(tr("保存(&S)"), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdSave->setDefault(true);
    cmdClose = new QPushButton(tr("閉じる"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdClose);
    root->addLayout(buttons);
    // Enter anywhere saves: the other buttons never become the default one.
    for (QPushButton* button : {cmdAdd, cmdRemove, cmdCheck, cmdClose}) {
        button->setAutoDefault(false);
    }
    lblKeyring->setAccessibleName(tr("キーリングの状態"));
    lblCheck->setAccessibleName(tr("接続の確認の結果"));
    lblStatus->setAccessibleName(tr("状態"));
    resize(560, 520);

    connect(lstAccounts, &QListWidget::currentRowChanged, this,
            [this](int row) { selectAccount(row); });
    connect(txtPassword, &QLineEdit::textEdited, this, [this] {
        ++passwordRead;
        passwordPending = false;
        updateButtons();
    });
    connect(cmdAdd, &QPushButton::clicked, this, &AccountsDialog::cmdAdd_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &AccountsDialog::cmdRemove_Click);
    connect(cmdCheck, &QPushButton::clicked, this, &AccountsDialog::cmdCheck_Click);
    connect(cmdSave, &QPushButton::clicked, this, &AccountsDialog::cmdSave_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);
}

void AccountsDialog::showOrRaise() {
    if (!isVisible()) {
        Form_Load();
    }
    showInFront(this);
}

void AccountsDialog::Form_Load() {
    QStringList problems;
    // A few hundred bytes, and never more than a bounded read.
    accounts = readAccountsIni(accountsIniPath(seams.folder), &problems);
    fillList(accounts.isEmpty() ? 0 : accounts.first().number);
    showStatus(problems.isEmpty()
                   ? QString()
                   : tr("accounts.ini の次の部分は使えないため、保存すると消えます: %1")
                         .arg(problems.join(QLatin1String("; "))));
    QPointer<AccountsDialog> self(this);
    seams.secrets.probeKeyring([self](bool ok, const QString& why) {
        if (!self) {
            return;
        }
        self->keyringOk = ok;
        self->keyringProblem = !ok;
        self->lblKeyring->setText(
            ok ? QString()
               : tr("%1\nパスワードをファイル secrets.ini に保存することもできます。"
                    "ファイルは暗号化されず、このユーザーだけが読めます。")
                     .arg(why));
        self->showKeyring();
    });
}

void AccountsDialog::fillList(int selectNumber) {
    const QSignalBlocker blocker(lstAccounts);
    lstAccounts->clear();
    int select = -1;
    for (const AccountSettings& account : std::as_const(accounts)) {
        if (account.number == selectNumber) {
            select = int(lstAccounts->count());
        }
        lstAccounts->addItem(account.displayName());
    }
    lstAccounts->setCurrentRow(select);
    selectAccount(select);
}

void AccountsDialog::selectAccount(int row) {
    if (lstAccounts->currentRow() != row) {
        // Comes back here through the list's signal.
        lstAccounts->setCurrentRow(row);
        return;
    }
    showAccount(row >= 0 && row < accounts.size() ? &accounts[row] : nullptr);
}

void AccountsDialog::showAccount(const AccountSettings* account) {
    check->cancel();
    lblCheck->clear();
    editing = account != nullptr ? account->number : 0;
    const int type = account != nullptr ? cboType->findData(account->type) : 0;
    cboType->setCurrentIndex(std::max(type, 0));
    txtURL->setText(account != nullptr ? account->url : QString());
    txtUser->setText(account != nullptr ? account->user : QString());
    txtPassword->clear();
    const bool inFile =
        account != nullptr && account->passwordStore == AccountSettings::PasswordStore::File;
    (inFile ? optFile : optKeyring)->setChecked(true);
    chkMarkRead->setChecked(account != nullptr && account->markReadWhenShown);
    const quint64 read = ++passwordRead;
    passwordPending = account != nullptr;
    showKeyring();
    updateButtons();
    if (account == nullptr) {
        return;
    }
    QPointer<AccountsDialog> self(this);
    seams.secrets.readPassword(
        *account, [self, read](bool ok, const QString& password, const QString& error) {
            if (!self || read != self->passwordRead) {
                return;
            }
            self->passwordPending = false;
            self->updateButtons();
            if (ok) {
                self->txtPassword->setText(password);
            } else {
                self->showStatus(tr("保存したパスワードを読めません: %1").arg(error));
            }
        });
}

void AccountsDialog::showKeyring() {
    lblKeyring->setVisible(keyringProblem);
    // The file is a choice the user makes knowing the keyring is not there.
    optFile->setEnabled(keyringProblem || optFile->isChecked());
}

void AccountsDialog::updateButtons() {
    cmdCheck->setEnabled(!check->running() && !passwordPending);
    cmdSave->setEnabled(!working && !passwordPending);
    cmdAdd->setEnabled(!working);
    cmdRemove->setEnabled(!working && editing != 0);
}

bool AccountsDialog::checking() const {
    return check->running();
}

void AccountsDialog::showStatus(const QString& text) {
    lblStatus->setText(text);
}

void AccountsDialog::cmdAdd_Click() {
    lstAccounts->setCurrentRow(-1);
    showAccount(nullptr);
    showStatus(QString());
    txtURL->setFocus();
}

bool AccountsDialog::accountFromFields(AccountSettings& account) {
    const QString url = txtURL->text().trimmed();
    const QString problem = accountUrlProblem(url);
    if (!problem.isEmpty()) {
        showStatus(problem);
        return false;
    }
    const QString user = txtUser->text().trimmed();
    if (user.isEmpty()) {
        showStatus(tr("ユーザー名を入力してください"));
        return false;
    }
    for (const QChar c : user) {
        if (c.category() == QChar::Other_Control) {
            showStatus(tr("ユーザー名に使えない文字があります"));
            return false;
        }
    }
    int number = editing;
    if (number == 0) {
        for (const AccountSettings& other : std::as_const(accounts)) {
            number = std::max(number, other.number);
        }
        ++number;
    }
    account.number = number;
    account.type = cboType->currentData().toString();
    account.url = url;
    account.user = user;
    account.passwordStore = optFile->isChecked() ? AccountSettings::PasswordStore::File
                                                 : AccountSettings::PasswordStore::Keyring;
    account.markReadWhenShown = chkMarkRead->isChecked();
    showStatus(QString());
    return true;
}

void AccountsDialog::confirmClearText(const QString& url, std::function<void()> then) {
    if (!sendsPasswordInClear(url) || url == clearTextAgreed) {
        then();
        return;
    }
    QPointer<AccountsDialog> self(this);
    seams.messageBox.ask(
        tr("%1 には暗号化されない http で接続します。パスワードがそのままネットワークを流れ、"
           "途中で読まれるおそれがあります。続けますか?")
            .arg(url),
        seams.boxTitle, MsgButtons::OkCancel, MsgIcon::Warning,
        [self, url, then = std::move(then)](MsgResult answer) {
            // The fields may have changed while the box was open: only what was asked goes.
            if (!self || answer != MsgResult::Ok || self->txtURL->text().trimmed() != url) {
                return;
            }
            self->clearTextAgreed = url;
            then();
        });
}

void AccountsDialog::cmdCheck_Click() {
    AccountSettings account;
    if (check->running() || passwordPending || !accountFromFields(account)) {
        return;
    }
    const QString password = txtPassword->text();
    confirmClearText(account.url, [this, account, password] {
        lblCheck->setText(tr("確認しています..."));
        if (!check->start(account, password)) {
            lblCheck->setText(tr("この種類のアカウントには対応していません"));
        }
        updateButtons();
    });
}

void AccountsDialog::cmdSave_Click() {
    AccountSettings account;
    if (working || passwordPending || !accountFromFields(account)) {
        return;
    }
    const QString password = txtPassword->text();
    if (password.isEmpty()) {
        showStatus(tr("パスワードを入力してください"));
        return;
    }
    confirmClearText(account.url, [this, account, password] { saveAccount(account, password); });
}

void AccountsDialog::saveAccount(const AccountSettings& account, const QString& password) {
    if (working) {
        return;
    }
    working = true;
    updateButtons();
    showStatus(tr("保存しています..."));
    const auto old =
        std::find_if(accounts.cbegin(), accounts.cend(),
                     [&account](const AccountSettings& a) { return a.number == account.number; });
    const bool hadOld = old != accounts.cend();
    const AccountSettings before = hadOld ? *old : AccountSettings{};
    QList<AccountSettings> edited = accounts;
    if (hadOld) {
        edited[old - accounts.cbegin()] = account;
    } else {
        edited.append(account);
    }
    // The password first: an account is never listed whose password was not kept.
    QPointer<AccountsDialog> self(this);
    seams.secrets.writePassword(
        account, password, [self, account, before, hadOld, edited](bool ok, const QString& error) {
            if (!self) {
                return;
            }
            if (!ok) {
                self->endChange(false, tr("パスワードを保存できません: %1").arg(error));
                return;
            }
            self->writeList(edited, [self, account, before, hadOld](bool written) {
                if (!written) {
                    return;
                }
                // Kept for a server, user or place the account no longer has. The file keeps
                // one password an account, which the write has just replaced.
                const bool replaced =
                    before.passwordStore == AccountSettings::PasswordStore::File &&
                    account.passwordStore == AccountSettings::PasswordStore::File;
                if (hadOld && !before.sameConnection(account) && !replaced) {
                    self->seams.secrets.removePassword(before, [](bool, const QString&) {});
                }
                self->fillList(account.number);
                self->endChange(true, tr("保存しました"));
            });
        });
}

void AccountsDialog::writeList(const QList<AccountSettings>& edited,
                               std::function<void(bool)> then) {
    fileWorker.start([this, path = accountsIniPath(seams.folder), edited, then = std::move(then)] {
        QString error;
        const bool ok = writeAccountsIni(path, edited, &error);
        // The pool ends before the dialog does: this is still there to post to.
        QMetaObject::invokeMethod(
            this,
            [this, ok, error, edited, then] {
                if (!ok) {
                    endChange(false, tr("accounts.ini に書き込めません: %1").arg(error));
                    then(false);
                    return;
                }
                accounts = edited;
                if (seams.service != nullptr) {
                    seams.service->reload();
                }
                then(true);
            },
            Qt::QueuedConnection);
    });
}

void AccountsDialog::cmdRemove_Click() {
    const int row = lstAccounts->currentRow();
    if (working || row < 0 || row >= accounts.size()) {
        return;
    }
    const AccountSettings account = accounts.at(row);
    QPointer<AccountsDialog> self(this);
    seams.messageBox.ask(
        tr("アカウント「%1」を削除しますか?\nパスワードと、このアカウントのフィードの一覧、"
           "サーバーにまだ送っていない既読の記録も削除されます。")
            .arg(account.displayName()),
        seams.boxTitle, MsgButtons::OkCancel, MsgIcon::Question, [self, account](MsgResult answer) {
            if (!self || answer != MsgResult::Ok || self->working) {
                return;
            }
            self->working = true;
            self->updateButtons();
            QList<AccountSettings> edited = self->accounts;
            edited.removeIf(
                [&account](const AccountSettings& a) { return a.number == account.number; });
            self->writeList(edited, [self, account](bool written) {
                if (!written) {
                    return;
                }
                self->fillList(self->accounts.isEmpty() ? 0 : self->accounts.first().number);
                self->fileWorker.start([files = accountFiles(self->seams.folder, account.number)] {
                    for (const QString& file : files) {
                        QFile::remove(file);
                    }
                });
                self->seams.secrets.removePassword(account, [self](bool ok, const QString& error) {
                    if (self) {
                        self->endChange(
                            true,
                            ok ? tr("削除しました")
                               : tr("削除しましたが、パスワードを消せませんでした: %1").arg(error));
                    }
                });
            });
        });
}

void AccountsDialog::endChange(bool ok, const QString& status) {
    working = false;
    showStatus(status);
    updateButtons();
    Q_EMIT changeEnded(ok);
}

void AccountsDialog::hideEvent(QHideEvent* event) {
    check->cancel();
    lblCheck->clear();
    updateButtons();
    QDialog::hideEvent(event);
}

#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The about box: title, version, legal notice and the program's comment. Modeless; its texts
// are built afresh every time it is opened (Form_Load), and OK closes it.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    // Builds the caption and the texts.
    void Form_Load();
    void cmdOK_Click();

    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QPlainTextEdit* lblDescription = nullptr;
    QWidget* line1 = nullptr;
    QWidget* line2 = nullptr;
    QPushButton* cmdOK = nullptr;

protected:
    void changeEvent(QEvent* event) override;

private:
    void buildWidgets();
    // Colours the two rules so that both show on the window's colour.
    void colorRules();
};

#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

// The values in force during a run and the modal dialog (1001) that edits them.
// Every showing is a new modal run over the same object; the fields change only
// through an OK whose values all pass their checks.
class CPreferencesDlg : public QDialog {
    Q_OBJECT
public:
    explicit CPreferencesDlg(QWidget* parent = nullptr);  // runs LoadSettings
    ~CPreferencesDlg() override;

    // Reads every setting once and hands the values to the calendar, the phrase
    // store and the notifier.
    void LoadSettings();
    // Writes every setting except the phrase position.
    void SaveSettings();
    // m_fFontSize in whole tenths of a point, rounded to the nearest.
    int FontSizeTenths() const;

    // Fills the controls anew whenever the dialog goes from hidden to shown.
    void setVisible(bool visible) override;

    int m_bBringToTop = 0;
    int m_bHideWhenMinimized = 1;
    int m_bEnable = 1;
    unsigned m_nInterval = 10;
    // A due reminder waits while the user is busy (full screen, do not disturb).
    int m_bHoldWhileBusy = 1;
    float m_fFontSize = 10.0f;

public slots:
    void accept() override;  // OnOK
    void reject() override;  // OnCancel

protected:
    bool OnInitDialog();
    // saveAndValidate false fills the controls; true reads and checks them and takes
    // the values over only when every check passes.
    bool DoDataExchange(bool saveAndValidate);
    void OnOK();
    void OnCancel();

private slots:
    void OnEnableClicked();

private:
    void BuildControls();
    void EnablePopupControls(int enable);
    void ShowHijriControls(bool show);

    QGroupBox* m_groupPopup = nullptr;
    QCheckBox* m_checkEnable = nullptr;
    QCheckBox* m_checkHoldWhileBusy = nullptr;
    QLabel* m_staticShowEvery = nullptr;
    QLineEdit* m_editInterval = nullptr;
    QLabel* m_staticMin = nullptr;
    QLabel* m_staticFontSize = nullptr;
    QLineEdit* m_editFontSize = nullptr;
    QGroupBox* m_groupHijri = nullptr;
    QLabel* m_staticTodayCaption = nullptr;
    QLabel* m_staticToday = nullptr;
    QLabel* m_staticAdjust = nullptr;
    QComboBox* m_comboAdjust = nullptr;
};

#include "prefs/PreferencesDlg.h"

#include "app/PreferenceKeys.h"
#include "app/SettingsStore.h"
#include "content/PhraseStore.h"
#include "hijri/HijriCalendar.h"
#include "notifier/FadeOutWindow.h"
#include "notifier/NotifierHost.h"
#include "platform/AppMessages.h"
#include "script/CodePage1256.h"
#include "prefs/PreferenceInput.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kOkFadeTime = 1000;
constexpr int kCancelFadeTime = 500;
constexpr int kFullOpacity = 255;
constexpr int kOfferedDates = 5;  // shifts -2 … +2; the sixth date is not offered
constexpr int kComputedDate = 2;

template <typename Control>
Control* Named(Control* control, int id) {
    control->setObjectName(QString::number(id));
    return control;
}

QString DisplayText(const std::string& text) {
    return QString::fromStdU16String(script::CodePage1256::ToUtf16(text));
}

// Whether the phrase file could not be used, which greys the reminder group for the run.
bool PhraseFileUnusable() {
    const CPhraseStore* store = CPhraseStore::Existing();
    return store && store->m_bDisabled;
}

// A refused value shows the framework's message and puts the focus on its control. Where
// the phrase file is unusable the control stays greyed for the whole run and can never be
// corrected, so there a refused text leaves the value in force instead of holding the
// dialog open for good.
template <typename Number>
bool Exchange(QLineEdit* control, const prefinput::Typed<Number>& typed, Number& value) {
    if (typed.value) {
        value = *typed.value;
        return true;
    }
    if (PhraseFileUnusable())
        return true;
    platform::AppMessages::Show(typed.refusal, platform::MessageIcon::Exclamation);
    control->setFocus();
    control->selectAll();
    return false;
}

// The first control that takes the focus by Tab, as a dialog gives it on every showing.
QWidget* FirstControl(QWidget& dialog) {
    for (QWidget* next = dialog.nextInFocusChain(); next != &dialog;
         next = next->nextInFocusChain()) {
        if (dialog.isAncestorOf(next) && next->isEnabled() && next->isVisibleTo(&dialog) &&
            (next->focusPolicy() & Qt::TabFocus))
            return next;
    }
    return nullptr;
}

}  // namespace

CPreferencesDlg::CPreferencesDlg(QWidget* parent) : QDialog(parent) {
    BuildControls();
    LoadSettings();
}

CPreferencesDlg::~CPreferencesDlg() = default;

void CPreferencesDlg::LoadSettings() {
    using namespace prefkeys;
    m_bBringToTop = GetPreferenceInt(kBringWindowToTop, kBringWindowToTopDefault);
    m_bHideWhenMinimized = GetPreferenceInt(kHideWhenMinimized, kHideWhenMinimizedDefault);
    m_bEnable = GetPreferenceInt(kEnablePopup, kEnablePopupDefault);
    m_nInterval = static_cast<unsigned>(GetPreferenceInt(kPopupInterval, kPopupIntervalDefault));
    m_bHoldWhileBusy = GetPreferenceInt(kHoldWhileBusy, kHoldWhileBusyDefault);
    m_fFontSize =
        prefinput::PointsFromTenths(GetPreferenceInt(kPopupFontSize, kPopupFontSizeDefault));
    CHijriCalendar::Instance()->adjust =
        GetPreferenceInt(kHijriDateAdjust, kHijriDateAdjustDefault);
    CPhraseStore::Instance()->m_nCurrent = GetPreferenceInt(kPopupIndex, kPopupIndexDefault);
    CNotifierHost::GetInstance()->SetFontSize(FontSizeTenths());
}

void CPreferencesDlg::SaveSettings() {
    using namespace prefkeys;
    WritePreferenceInt(kBringWindowToTop, m_bBringToTop);
    WritePreferenceInt(kHideWhenMinimized, m_bHideWhenMinimized);
    WritePreferenceInt(kEnablePopup, m_bEnable);
    WritePreferenceInt(kPopupInterval, static_cast<int>(m_nInterval));
    WritePreferenceInt(kHoldWhileBusy, m_bHoldWhileBusy);
    WritePreferenceInt(kPopupFontSize, FontSizeTenths());
    WritePreferenceInt(kHijriDateAdjust, CHijriCalendar::Instance()->adjust);
}

int CPreferencesDlg::FontSizeTenths() const {
    return prefinput::TenthsFromPoints(m_fFontSize);
}

void CPreferencesDlg::setVisible(bool visible) {
    const bool showing = visible && !isVisible();
    if (showing)
        OnInitDialog();
    QDialog::setVisible(visible);
    // The object is reused: without this the focus would stay where the last showing left it.
    if (showing) {
        if (QWidget* first = FirstControl(*this))
            first->setFocus(Qt::TabFocusReason);
    }
}

void CPreferencesDlg::accept() {
    OnOK();
}

void CPreferencesDlg::reject() {
    OnCancel();
}

bool CPreferencesDlg::OnInitDialog() {
    DoDataExchange(false);
    CHijriCalendar* calendar = CHijriCalendar::Instance();
    const bool available = calendar->IsAvailable();
    m_comboAdjust->clear();
    m_staticToday->clear();
    if (available) {
        std::vector<std::string> dates;
        calendar->GetDates(dates, true);
        for (int entry = 0; entry < kOfferedDates; ++entry)
            m_comboAdjust->addItem(DisplayText(dates[entry]));
        m_staticToday->setText(DisplayText(dates[kComputedDate]));
        const bool offered = calendar->adjust >= 0 && calendar->adjust < kOfferedDates;
        m_comboAdjust->setCurrentIndex(offered ? calendar->adjust : -1);
    }
    ShowHijriControls(available);
    EnablePopupControls(m_bEnable);
    return true;
}

bool CPreferencesDlg::DoDataExchange(bool saveAndValidate) {
    if (!saveAndValidate) {
        m_checkEnable->setChecked(m_bEnable != 0);
        m_checkHoldWhileBusy->setChecked(m_bHoldWhileBusy != 0);
        m_editInterval->setText(QString::number(m_nInterval));
        m_editFontSize->setText(prefinput::FormatDecimal(m_fFontSize));
        return true;
    }
    const int enable = m_checkEnable->isChecked() ? 1 : 0;
    const int holdWhileBusy = m_checkHoldWhileBusy->isChecked() ? 1 : 0;
    unsigned interval = m_nInterval;
    float fontSize = m_fFontSize;
    if (!Exchange(m_editInterval, prefinput::ReadInterval(m_editInterval->text()), interval) ||
        !Exchange(m_editFontSize, prefinput::ReadFontSize(m_editFontSize->text()), fontSize))
        return false;
    // Taken over only now, so the running reminder timer never sees a refused value.
    m_bEnable = enable;
    m_bHoldWhileBusy = holdWhileBusy;
    m_nInterval = interval;
    m_fFontSize = fontSize;
    if (m_comboAdjust->currentIndex() >= 0)
        CHijriCalendar::Instance()->adjust = m_comboAdjust->currentIndex();
    return true;
}

void CPreferencesDlg::OnOK() {
    new CFadeOutWindow(this, kOkFadeTime, kFullOpacity);
    if (!DoDataExchange(true))
        return;
    QDialog::accept();
    CNotifierHost::GetInstance()->SetFontSize(FontSizeTenths());
    SaveSettings();
}

void CPreferencesDlg::OnCancel() {
    new CFadeOutWindow(this, kCancelFadeTime, kFullOpacity);
    QDialog::reject();
}

void CPreferencesDlg::OnEnableClicked() {
    EnablePopupControls(m_checkEnable->isChecked() ? 1 : 0);
}

void CPreferencesDlg::EnablePopupControls(int enable) {
    if (PhraseFileUnusable()) {
        m_groupPopup->setEnabled(false);
        enable = 0;
    }
    for (QWidget* control :
         {static_cast<QWidget*>(m_checkHoldWhileBusy), static_cast<QWidget*>(m_staticShowEvery),
          static_cast<QWidget*>(m_editInterval), static_cast<QWidget*>(m_staticMin),
          static_cast<QWidget*>(m_staticFontSize), static_cast<QWidget*>(m_editFontSize)})
        control->setEnabled(enable != 0);
}

void CPreferencesDlg::ShowHijriControls(bool show) {
    for (QWidget* control :
         {static_cast<QWidget*>(m_groupHijri), static_cast<QWidget*>(m_staticTodayCaption),
          static_cast<QWidget*>(m_staticToday), static_cast<QWidget*>(m_staticAdjust),
          static_cast<QWidget*>(m_comboAdjust)})
        control->setVisible(show);
}

void CPreferencesDlg::BuildControls() {
    setWindowTitle("Preferences");

    m_groupPopup = Named(new QGroupBox("Popup Mirel", this), 1056);
    m_checkEnable = Named(new QCheckBox("Enable", m_groupPopup), 1039);
    m_staticShowEvery = Named(new QLabel("Show Every", m_groupPopup), 1041);
    m_editInterval = Named(new QLineEdit(m_groupPopup), 1040);
    m_staticMin = Named(new QLabel("Min", m_groupPopup), 1042);
    m_staticFontSize = Named(new QLabel("Font size", m_groupPopup), 1048);
    m_editFontSize = Named(new QLineEdit(m_groupPopup), 1044);
    // Made after the row above it, so that Tab reaches it in the order the eye does.
    m_checkHoldWhileBusy = Named(
        new QCheckBox("Hold reminders while I am busy (full screen, do not disturb)", m_groupPopup),
        1049);
    m_staticShowEvery->setBuddy(m_editInterval);
    m_staticFontSize->setBuddy(m_editFontSize);
    connect(m_checkEnable, &QCheckBox::clicked, this, &CPreferencesDlg::OnEnableClicked);

    auto* popupRow = new QHBoxLayout;
    popupRow->addWidget(m_staticShowEvery);
    popupRow->addWidget(m_editInterval);
    popupRow->addWidget(m_staticMin);
    popupRow->addStretch();
    popupRow->addWidget(m_staticFontSize);
    popupRow->addWidget(m_editFontSize);
    auto* popupLayout = new QVBoxLayout(m_groupPopup);
    popupLayout->addWidget(m_checkEnable);
    popupLayout->addLayout(popupRow);
    popupLayout->addWidget(m_checkHoldWhileBusy);

    m_groupHijri = Named(new QGroupBox("Hijri Date", this), 1055);
    m_staticTodayCaption = Named(new QLabel("Today calculated to be : ", m_groupHijri), 1047);
    m_staticToday = Named(new QLabel(m_groupHijri), 1045);
    m_staticAdjust = Named(new QLabel("Adjust today to be:", m_groupHijri), 1054);
    m_comboAdjust = Named(new QComboBox(m_groupHijri), 1043);
    m_staticAdjust->setBuddy(m_comboAdjust);
    m_comboAdjust->setSizeAdjustPolicy(QComboBox::AdjustToContents);

    auto* hijriLayout = new QGridLayout(m_groupHijri);
    hijriLayout->addWidget(m_staticTodayCaption, 0, 0);
    hijriLayout->addWidget(m_staticToday, 0, 1);
    hijriLayout->addWidget(m_staticAdjust, 1, 0);
    hijriLayout->addWidget(m_comboAdjust, 1, 1);
    hijriLayout->setColumnStretch(1, 1);

    auto* okButton = Named(new QPushButton("OK", this), 1);
    auto* cancelButton = Named(new QPushButton("Cancel", this), 2);
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &CPreferencesDlg::accept);
    connect(cancelButton, &QPushButton::clicked, this, &CPreferencesDlg::reject);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(okButton);
    buttonRow->addWidget(cancelButton);
    buttonRow->addStretch();

    auto* dialogLayout = new QVBoxLayout(this);
    dialogLayout->addWidget(m_groupPopup);
    dialogLayout->addWidget(m_groupHijri);
    dialogLayout->addLayout(buttonRow);
    dialogLayout->setSizeConstraint(QLayout::SetFixedSize);
}

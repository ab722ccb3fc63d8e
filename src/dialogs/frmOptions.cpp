#include "dialogs/frmOptions.h"

#include "dialogs/FormControls.h"
#include "dialogs/TwipsLayout.h"
#include "platform/RuntimeError.h"
#include "ui/UiText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

namespace {

constexpr int KeyTypeCross = 2;
constexpr int AppModeAtPut = 1;

QRadioButton* optionButton(const QString& caption, QGroupBox* frame, const char* group, int index) {
    return named(new QRadioButton(caption, frame),
                 QStringLiteral("%1(%2)").arg(QLatin1StringView(group)).arg(index));
}

// The index of the checked button, testing from index 0 up; -1 when none is checked.
int checkedIndex(const std::array<QRadioButton*, 3>& buttons) {
    for (int i = 0; i < int(buttons.size()); ++i) {
        if (buttons[i]->isChecked())
            return i;
    }
    return -1;
}

void checkButton(const std::array<QRadioButton*, 3>& buttons, int index,
                 const QString& noSuchButton) {
    if (index < 0 || index >= int(buttons.size()))
        throw platform::RuntimeError(platform::err::InvalidArgument, noSuchButton);
    buttons[index]->setChecked(true);
}

} // namespace

frmOptions::frmOptions(QWidget* parent)
    : QDialog(parent),
      fraKeyType(named(new QGroupBox(ui::KeyTypeFrame, this), QStringLiteral("fraKeyType"))),
      optKeyType{optionButton(ui::KeyTypeSimple, fraKeyType, "optKeyType", 0),
                 optionButton(ui::KeyTypeCylinder, fraKeyType, "optKeyType", 1),
                 optionButton(ui::KeyTypeCross, fraKeyType, "optKeyType", 2)},
      cmdOK(named(new QPushButton(ui::OK, this), QStringLiteral("cmdOK"))),
      cmdCancel(named(new QPushButton(ui::Cancel, this), QStringLiteral("cmdCancel"))),
      chkStartPass(named(new QCheckBox(ui::StartPass, this), QStringLiteral("chkStartPass"))),
      fraApp(named(new QGroupBox(ui::AppFrame, this), QStringLiteral("fraApp"))),
      optApp{optionButton(ui::AppViewer, fraApp, "optApp", 0),
             optionButton(ui::AppAtPut, fraApp, "optApp", 1),
             optionButton(ui::AppAtTake, fraApp, "optApp", 2)} {
    setWindowTitle(ui::OptionsCaption);

    fraKeyType->setToolTip(ui::KeyTypeHint);
    chkStartPass->setToolTip(ui::StartPassHint);
    fraApp->setToolTip(ui::AppHint);
    // Enter does not press OK here: no button is a default one.
    cmdOK->setAutoDefault(false);
    cmdCancel->setAutoDefault(false);

    // Each frame's buttons exclude each other; the group reports which one was selected.
    auto* keyTypes = new QButtonGroup(this);
    auto* apps = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        keyTypes->addButton(optKeyType[i], i);
        apps->addButton(optApp[i], i);
    }

    chainTabOrder({optKeyType[0], optKeyType[1], cmdOK, cmdCancel, chkStartPass, optApp[0],
                   optApp[1], optApp[2], optKeyType[2]});

    auto* layout = new TwipsLayout(this, QSize(3510, 3375));
    layout->place(fraKeyType, 120, 120, 3255, 1095);
    layout->place(optKeyType[0], 240, 240, 2535, 255);
    layout->place(optKeyType[1], 240, 480, 2535, 255);
    layout->place(cmdOK, 240, 2880, 1455, 375);
    layout->place(cmdCancel, 1800, 2880, 1455, 375);
    layout->place(chkStartPass, 240, 2520, 3015, 255);
    layout->place(fraApp, 120, 1320, 3255, 1095);
    layout->place(optApp[0], 240, 240, 2775, 255);
    layout->place(optApp[1], 240, 480, 2775, 255);
    layout->place(optApp[2], 240, 720, 2775, 255);
    layout->place(optKeyType[2], 240, 720, 2535, 255);
    layout->apply();
    TwipsLayout::placeRelativeTo(this, parent, 850, 550);

    connect(keyTypes, &QButtonGroup::idToggled, this, [this](int index, bool checked) {
        if (checked)
            optKeyTypeSelected(index);
    });
    connect(apps, &QButtonGroup::idToggled, this, [this](int index, bool checked) {
        if (checked)
            optAppSelected(index);
    });
    connect(cmdOK, &QPushButton::clicked, this, &frmOptions::cmdOKClicked);
    connect(cmdCancel, &QPushButton::clicked, this, &frmOptions::reject);
}

void frmOptions::setKeyType(int value) {
    checkButton(optKeyType, value, ui::NoSuchKeyType);
    // Selecting the button already selected raises no toggle, yet the rule must hold.
    optKeyTypeSelected(value);
    m_keyType = value;
}

void frmOptions::setAppMode(int value) {
    checkButton(optApp, value, ui::NoSuchAppMode);
    optAppSelected(value);
    m_appMode = value;
}

void frmOptions::setStartPass(bool value) {
    chkStartPass->setChecked(value);
    m_startPass = value;
}

// The cross password method and choosing the application at put-away exclude each other.
void frmOptions::optKeyTypeSelected(int index) {
    optApp[AppModeAtPut]->setEnabled(index != KeyTypeCross);
}

void frmOptions::optAppSelected(int index) {
    optKeyType[KeyTypeCross]->setEnabled(index != AppModeAtPut);
}

void frmOptions::cmdOKClicked() {
    if (const int keyType = checkedIndex(optKeyType); keyType >= 0)
        setKeyType(keyType);
    if (const int appMode = checkedIndex(optApp); appMode >= 0)
        setAppMode(appMode);
    setStartPass(chkStartPass->isChecked());
    m_cancel = false;
    accept();
}

void frmOptions::reject() {
    m_cancel = true;
    QDialog::reject();
}

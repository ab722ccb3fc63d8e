#include "about/frmAbout.h"

#include "dialogs/TwipsLayout.h"
#include "platform/ApplicationTitle.h"
#include "platform/MessageBox.h"
#include "platform/ProcessLaunch.h"
#include "platform/Registry.h"
#include "platform/RuntimeError.h"

#include <QFileInfo>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

// Captions.
const QString CaptionSuffix = u"のﾊﾞｰｼﾞｮﾝ情報"_s;
const QString VersionPrefix = u"ﾊﾞｰｼﾞｮﾝ "_s;
const QString Description =
    u"ファイルを鍵のパスワードで暗号化してヴォレル（ロッカーファイル）にしまい、"
    u"同じパスワードで取り出します。取り出したファイルは内蔵ビューアか、"
    u"指定したアプリケーションで開きます。"_s;
const QString Disclaimer = u"警告: 鍵のパスワードを忘れると、しまったファイルは取り出せません。"
                           u"大切なファイルは元のファイルも保管してください。"_s;
const QString OK = u"OK"_s;
const QString SysInfo = u"ｼｽﾃﾑ情報(&S)..."_s;
const QString SysInfoUnavailable = u"現時点ではｼｽﾃﾑ情報を使用できません"_s;

// Where the system-information tool is registered.
const QString SysInfoKey = u"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"_s;
const QString SysInfoValue = u"PATH"_s;
const QString SysInfoLocationKey = u"SOFTWARE\\Microsoft\\Shared Tools Location"_s;
const QString SysInfoLocationValue = u"MSINFO"_s;
const QString SysInfoProgram = u"MSINFO32.EXE"_s;

// Offset of the box from the main window's top-left corner, in twips.
constexpr int OffsetTwips = 50;

QLabel* label(const QString& name, QWidget* parent, bool wrapped = false) {
    auto* control = new QLabel(parent);
    control->setObjectName(name);
    control->setWordWrap(wrapped);
    control->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return control;
}

QPushButton* button(const QString& name, const QString& caption, QWidget* parent) {
    auto* control = new QPushButton(caption, parent);
    control->setObjectName(name);
    return control;
}

QString versionLine() {
    return VersionPrefix + QString::number(VRL_VERSION_MAJOR) + u'.' +
           QString::number(VRL_VERSION_MINOR) + u'.' + QString::number(VRL_VERSION_PATCH);
}

} // namespace

frmAbout::frmAbout(QWidget* parent)
    : QDialog(parent), picIcon(label(u"picIcon"_s, this)), lblTitle(label(u"lblTitle"_s, this)),
      lblVersion(label(u"lblVersion"_s, this)),
      lblDescription(label(u"lblDescription"_s, this, true)),
      lblDisclaimer(label(u"lblDisclaimer"_s, this, true)), Line1(new QFrame(this)),
      cmdOK(button(u"cmdOK"_s, OK, this)), cmdSysInfo(button(u"cmdSysInfo"_s, SysInfo, this)) {
    Line1->setObjectName(u"Line1"_s);
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    picIcon->setPixmap(QIcon(u":/about/winvrls.png"_s).pixmap(32, 32));
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblDescription->setText(Description);
    lblDisclaimer->setText(Disclaimer);
    cmdOK->setDefault(true);
    Form_Load();

    auto* layout = new TwipsLayout(this, QSize(5730, 3555));
    layout->place(picIcon, 240, 240, 540, 540);
    layout->place(lblTitle, 1050, 240, 4440, 480);
    layout->place(lblVersion, 1050, 780, 4440, 300);
    layout->place(lblDescription, 1050, 1125, 4440, 1170);
    layout->place(Line1, 120, 2400, 5490, 60);
    layout->place(lblDisclaimer, 255, 2625, 3870, 825);
    layout->place(cmdOK, 4245, 2625, 1260, 345);
    layout->place(cmdSysInfo, 4245, 3075, 1260, 345);
    layout->apply();
    Form_Paint();

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::StartSysInfo);
}

void frmAbout::Form_Load() {
    setWindowTitle(platform::applicationTitle() + CaptionSuffix);
    lblVersion->setText(versionLine());
    lblTitle->setText(platform::applicationTitle());
}

void frmAbout::paintEvent(QPaintEvent* event) {
    Form_Paint();
    QDialog::paintEvent(event);
}

// Keeps the box just below and right of the main window's corner, wherever that has gone.
void frmAbout::Form_Paint() {
    if (QWidget* owner = parentWidget())
        TwipsLayout::placeRelativeTo(this, owner->window(), OffsetTwips, OffsetTwips);
}

void frmAbout::cmdOK_Click() {
    accept();
}

void frmAbout::StartSysInfo() {
    try {
        QString path;
        if (platform::GetKeyValue(platform::hkey::LocalMachine, SysInfoKey, SysInfoValue, path)) {
            // Started unchecked: a path that names nothing fails here and is reported below.
            platform::startProgram(path);
            return;
        }
        if (platform::GetKeyValue(platform::hkey::LocalMachine, SysInfoLocationKey,
                                  SysInfoLocationValue, path)) {
            const QString program = path + u'/' + SysInfoProgram;
            if (QFileInfo(program).isFile()) {
                platform::startProgram(program);
                return;
            }
        }
    } catch (const platform::RuntimeError&) {
        // A tool that does not start is no tool at hand.
    }
    platform::showMessage(SysInfoUnavailable, QMessageBox::NoIcon, QMessageBox::Ok, {}, this);
}

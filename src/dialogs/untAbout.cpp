#include "dialogs/untAbout.h"

#include "dialogs/DialogKeys.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QToolButton>

#include "settings/SettingDialogMath.h"
#include "widgets/Pictures.h"
#include "version/Version.h"

namespace oruvan {

namespace {

QFont FontOf(const char* family, int pixels) {
    QFont f(QString::fromUtf8(family));
    f.setPixelSize(pixels);
    return f;
}

}  // namespace

TfrmAbout::TfrmAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    InitResources();
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setFont(FontOf("ＭＳ Ｐゴシック", 12));
    setFixedSize(426, 223);
    // Opens where it was designed to, not centred.
    move(321, 107);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(QPixmap(QStringLiteral(":/images/oruvan.xpm")));
    Image1->setGeometry(4, 4, 32, 32);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(FontOf("ＭＳ Ｐゴシック", 16));
    Label1->move(44, 8);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(4, 52, 417, 125);
    Memo1->setFont(FontOf("ＭＳ ゴシック", 12));
    Memo1->setReadOnly(true);
    Memo1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    QPalette memoPalette = Memo1->palette();
    memoPalette.setColor(QPalette::Base, memoPalette.color(QPalette::Button));
    Memo1->setPalette(memoPalette);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Panel1->setGeometry(160, 184, 113, 33);

    SpeedButton1 = new QToolButton(Panel1);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("OK"));
    SpeedButton1->setIcon(QIcon(QStringLiteral(":/images/button_ok.xpm")));
    SpeedButton1->setIconSize(QSize(24, 24));
    SpeedButton1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setCursor(Qt::PointingHandCursor);
    SpeedButton1->setFocusPolicy(Qt::NoFocus);
    SpeedButton1->setGeometry(8, 4, 97, 25);
    connect(SpeedButton1, &QToolButton::clicked, this, &TfrmAbout::SpeedButton1Click);
}

void TfrmAbout::SetProductLine(const QString& text) {
    Label1->setText(text);
    Label1->adjustSize();
}

void TfrmAbout::SetNoticeText(const QString& text) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    Memo1->setPlainText(lines);
}

QString TfrmAbout::ProductLine() { return QString::fromLatin1(version::kNameAndNumber); }

QString TfrmAbout::NoticeText() {
    // Full-width characters count two columns, as the fixed-pitch font draws them.
    const std::string productLine = std::string("【") + version::kNameAndNumber + "】";
    const struct {
        const char* text;
        int columns;
    } lines[] = {
        {productLine.c_str(), 25},
        {"　フリーソフトウェアです", 26},
        {"", 26},
        {"　制作：Oruvan 開発者一同", 26},
        {"", 26},
        {"　ご意見・ご感想は下記までお寄せください", 46},
        {"　　oruvan@example.org", 46},
        {"  　https://www.example.org/oruvan/", 46},
    };
    QStringList out;
    for (const auto& line : lines) out.append(QString::fromStdString(PadToColumns(line.text, line.columns)));
    return out.join(QStringLiteral("\r\n"));
}

void TfrmAbout::SpeedButton1Click() { accept(); }

void TfrmAbout::keyPressEvent(QKeyEvent* e) {
    if (!SwallowDialogCloseKey(e)) QDialog::keyPressEvent(e);
}

}  // namespace oruvan

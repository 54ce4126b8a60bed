#include "dialogs/AboutDialog.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QToolButton>

#include "dialogs/DialogKeys.h"
#include "settings/SettingDialogMath.h"
#include "version/Version.h"
#include "widgets/Pictures.h"

namespace oruvan {

namespace {

QFont FontOf(const char* family, int pixels) {
    QFont f(QString::fromUtf8(family));
    f.setPixelSize(pixels);
    return f;
}

}  // namespace

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    InitResources();
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(tr("バージョン情報"));
    setFont(FontOf("ＭＳ Ｐゴシック", 12));
    setFixedSize(426, 223);
    // Opens where it was designed to, not centred.
    move(321, 107);

    icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(QPixmap(QStringLiteral(":/images/oruvan.xpm")));
    icon->setGeometry(4, 4, 32, 32);

    productLine = new QLabel(this);
    productLine->setObjectName(QStringLiteral("productLine"));
    productLine->setFont(FontOf("ＭＳ Ｐゴシック", 16));
    productLine->move(44, 8);

    notice = new QPlainTextEdit(this);
    notice->setObjectName(QStringLiteral("notice"));
    notice->setGeometry(4, 52, 417, 125);
    notice->setFont(FontOf("ＭＳ ゴシック", 12));
    notice->setReadOnly(true);
    notice->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    notice->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    notice->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    notice->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    notice->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    QPalette memoPalette = notice->palette();
    memoPalette.setColor(QPalette::Base, memoPalette.color(QPalette::Button));
    notice->setPalette(memoPalette);

    frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("frame"));
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setGeometry(160, 184, 113, 33);

    okButton = new QToolButton(frame);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setText(QStringLiteral("OK"));
    okButton->setIcon(QIcon(QStringLiteral(":/images/button_ok.xpm")));
    okButton->setIconSize(QSize(24, 24));
    okButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    okButton->setAutoRaise(true);
    okButton->setCursor(Qt::PointingHandCursor);
    okButton->setFocusPolicy(Qt::NoFocus);
    okButton->setGeometry(8, 4, 97, 25);
    connect(okButton, &QToolButton::clicked, this, &AboutDialog::accept);
}

void AboutDialog::SetProductLine(const QString& text) {
    productLine->setText(text);
    productLine->adjustSize();
}

void AboutDialog::SetNoticeText(const QString& text) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    notice->setPlainText(lines);
}

QString AboutDialog::ProductLine() { return QString::fromLatin1(version::kNameAndNumber); }

QString AboutDialog::NoticeText() {
    // Full-width characters count two columns, as the fixed-pitch font draws them.
    const QString productLine = tr("【%1】").arg(QString::fromLatin1(version::kNameAndNumber));
    const struct {
        const char* text;  // marked for translation, translated here
        int columns;
    } lines[] = {
        {QT_TR_NOOP("　フリーソフトウェアです"), 26},
        {"", 26},
        {QT_TR_NOOP("　制作：Oruvan 開発者一同"), 26},
        {"", 26},
        {QT_TR_NOOP("　ご意見・ご感想は下記までお寄せください"), 46},
        {QT_TR_NOOP("　　oruvan@example.org"), 46},
        {QT_TR_NOOP("  　https://www.example.org/oruvan/"), 46},
    };
    QStringList out{QString::fromStdString(PadToColumns(productLine.toStdString(), 25))};
    for (const auto& line : lines) {
        const QString text = *line.text ? tr(line.text) : QString();
        out.append(QString::fromStdString(PadToColumns(text.toStdString(), line.columns)));
    }
    return out.join(QStringLiteral("\r\n"));
}

void AboutDialog::keyPressEvent(QKeyEvent* e) {
    if (!SwallowDialogCloseKey(e)) QDialog::keyPressEvent(e);
}

}  // namespace oruvan

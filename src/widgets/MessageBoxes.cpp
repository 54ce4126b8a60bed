#include "widgets/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <exception>

#include "widgets/UserError.h"

namespace oruvan {

namespace {
MessageBoxHandler& handlerSlot() {
    static MessageBoxHandler handler;
    return handler;
}

QString& titleSlot() {
    static QString title = QStringLiteral("Oruvan");
    return title;
}
}  // namespace

QString ApplicationTitle() { return titleSlot(); }
void SetApplicationTitle(const QString& title) { titleSlot() = title; }

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    MessageBoxHandler old = std::move(handlerSlot());
    handlerSlot() = std::move(handler);
    return old;
}

QString ErrorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > QChar(u'.')) return message + QLatin1Char('.');
    return message;
}

void ReportErrors(QWidget* parent, const std::function<void()>& work) {
    try {
        work();
    } catch (const UserError& e) {
        ShowErrorBox(parent, e.message());
    } catch (const std::exception& e) {
        ShowErrorBox(parent, QString::fromUtf8(e.what()));
    }
}

void ShowErrorBox(QWidget* parent, const QString& message) {
    const QString text = ErrorBoxText(message);
    if (handlerSlot()) {
        handlerSlot()(MessageKind::Error, ApplicationTitle(), text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, ApplicationTitle(), text, QMessageBox::Ok,
                    parent);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

void ShowMessage(QWidget* parent, const QString& text) {
    if (handlerSlot()) {
        handlerSlot()(MessageKind::Information, ApplicationTitle(), text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, ApplicationTitle(), text, QMessageBox::Ok, parent);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

Answer Confirm(QWidget* parent, const QString& text) {
    const QString caption = QCoreApplication::translate("oruvan::MessageBoxes", "確認");
    if (handlerSlot()) return handlerSlot()(MessageKind::Confirmation, caption, text);
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QCoreApplication::translate("oruvan::MessageBoxes", "はい(&Y)"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QCoreApplication::translate("oruvan::MessageBoxes", "いいえ(&N)"), QMessageBox::NoRole);
    QPushButton* cancel = box.addButton(QCoreApplication::translate("oruvan::MessageBoxes", "キャンセル"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes) return Answer::Yes;
    if (box.clickedButton() == no) return Answer::No;
    return Answer::Cancel;
}

Answer AskYesNo(QWidget* parent, const QString& text, Answer defaultAnswer) {
    const QString caption = QCoreApplication::translate("oruvan::MessageBoxes", "確認");
    if (handlerSlot()) {
        const Answer a = handlerSlot()(MessageKind::Confirmation, caption, text);
        return a == Answer::Yes ? Answer::Yes : Answer::No;
    }
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QCoreApplication::translate("oruvan::MessageBoxes", "はい(&Y)"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QCoreApplication::translate("oruvan::MessageBoxes", "いいえ(&N)"), QMessageBox::NoRole);
    box.setDefaultButton(defaultAnswer == Answer::Yes ? yes : no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes ? Answer::Yes : Answer::No;
}

}  // namespace oruvan

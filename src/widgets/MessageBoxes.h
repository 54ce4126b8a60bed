#pragma once
// The application's message boxes: the error box, plain messages, the save confirmation and yes/no
// questions.
// Tests replace the boxes with a double through SetMessageBoxHandler.
#include <QString>
#include <functional>

class QWidget;

namespace oruvan {

enum class MessageKind { Error, Information, Confirmation };
enum class Answer { Ok, Yes, No, Cancel };

using MessageBoxHandler = std::function<Answer(MessageKind, const QString& caption, const QString& text)>;

// The application title: what message boxes carry as their caption ("Oruvan" at start).
QString ApplicationTitle();
void SetApplicationTitle(const QString& title);

// Installs a replacement for the real boxes (nullptr restores them); returns the previous one.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// The error text as the box shows it: "." added when the last character sorts after ".".
QString ErrorBoxText(const QString& message);

// Stop icon, captioned with the application title.
void ShowErrorBox(QWidget* parent, const QString& message);
// Runs a handler, showing an error it raises in the error box: the one place a handler's error is caught.
void ReportErrors(QWidget* parent, const std::function<void()>& handler);
// One OK button, captioned with the application title.
void ShowMessage(QWidget* parent, const QString& text);
// "確認", question icon, はい/いいえ/キャンセル, Yes default, Esc answers Cancel.
Answer Confirm(QWidget* parent, const QString& text);
// "確認", question icon, はい/いいえ only; the default is given (Yes or No); Esc answers No.
Answer AskYesNo(QWidget* parent, const QString& text, Answer defaultAnswer);

}  // namespace oruvan

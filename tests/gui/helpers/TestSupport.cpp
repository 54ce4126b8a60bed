#include "helpers/TestSupport.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <random>

#include "app/ApplicationSetup.h"
#include "platform/Cp932.h"

namespace oruvan::test {

void SetupTestApplication() {
    static bool done = false;
    if (done) return;
    done = true;
    SetupApplication(*qApp);
}

MessageBoxRecorder::MessageBoxRecorder() {
    m_previous = SetMessageBoxHandler([this](MessageKind kind, const QString& caption, const QString& text) {
        m_shown.push_back({kind, caption, text});
        if (kind != MessageKind::Confirmation) return Answer::Ok;
        if (m_answers.empty()) return Answer::Cancel;
        Answer a = m_answers.front();
        m_answers.erase(m_answers.begin());
        return a;
    });
}

MessageBoxRecorder::~MessageBoxRecorder() { SetMessageBoxHandler(m_previous); }

QStringList MessageBoxRecorder::texts() const {
    QStringList t;
    for (const Shown& s : m_shown) t << s.text;
    return t;
}

Sandbox::Sandbox() { m_dir.setAutoRemove(true); }

ProgramPaths Sandbox::paths() const {
    ProgramPaths p;
    p.programDir = dir();
    p.programFile = path(QStringLiteral("oruvan"));
    p.settingsFile = path(QStringLiteral("oruvan.ini"));
    p.recoveryDir = path(QStringLiteral("recovery"));
    p.recentFilesList = path(QStringLiteral("share/recently-used.xbel"));
    return p;
}

QString Sandbox::writeFile(const QString& name, const std::string& bytes) const {
    const QString p = path(name);
    QFile f(p);
    if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write test file");
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return p;
}

std::string Sandbox::readFile(const QString& name) const {
    QFile f(name.startsWith(QLatin1Char('/')) ? name : path(name));
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray b = f.readAll();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

std::unique_ptr<MainWindow> Sandbox::makeWindow(bool show) const {
    auto w = std::make_unique<MainWindow>(paths());
    if (show) {
        w->show();
        w->activateWindow();
        if (!QTest::qWaitForWindowExposed(w.get())) qWarning("window not exposed");
    }
    return w;
}

void ChangeIndexOptions(MainWindow& w, const std::function<void(IndexOptions&)>& change) {
    IndexOptions options = w.index()->options();
    change(options);
    w.index()->setOptions(options);
}

std::string Sjis(const char* utf8) { return Utf8ToCp932(utf8); }

std::string BinaryBytes(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s) {
        unsigned b = rng() & 0xFF;
        if (b == '\r' || b == '\n') b = 0;
        c = static_cast<char>(b);
    }
    return s;
}

void TypeAndEnter(QDialog* dialog, const QString& name) {
    auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    if (!edit || edit->window() != dialog) return dialog->reject();
    edit->setText(name);
    QTest::keyClick(edit, Qt::Key_Return);
}

void AnswerNextDialog(std::function<void(QDialog*)> answer) {
    auto* poll = new QTimer(qApp);
    auto deadline = std::make_shared<QDeadlineTimer>(10000);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, deadline, answer = std::move(answer)] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog && dialog->isActiveWindow()) {
            poll->deleteLater();
            poll->stop();
            answer(dialog);
        } else if (deadline->hasExpired()) {
            qWarning("no dialog to answer");
            poll->deleteLater();
            poll->stop();
        }
    });
    poll->start(10);
}

}  // namespace oruvan::test

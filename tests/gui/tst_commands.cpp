// The main window's command table, its menus, and the rules by which keys reach commands or controls.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QEventLoop>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "view/TextView.h"
#include "helpers/TestSupport.h"
#include "widgets/FindBar.h"
#include "widgets/Pictures.h"

using namespace oruvan;
using namespace oruvan::test;

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// Lets the event loop go idle once, as it does between user actions.
void runIdle() {
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
}

// The keys (modifier keys included) a text view signal reports while the recorder lives.
class KeyRecorder {
public:
    KeyRecorder(TextView* view, void (TextView::*signal)(QKeyEvent*)) {
        m_connection = QObject::connect(view, signal, [this](QKeyEvent* e) { m_keys.push_back(e->key()); });
    }
    ~KeyRecorder() { QObject::disconnect(m_connection); }
    bool saw(int key) const { return std::find(m_keys.begin(), m_keys.end(), key) != m_keys.end(); }

private:
    QMetaObject::Connection m_connection;
    std::vector<int> m_keys;
};

bool sameIcon(const QIcon& a, const QIcon& b) {
    return a.pixmap(16, 16).toImage() == b.pixmap(16, 16).toImage();
}

QMenu* menuNamed(MainWindow& w, const char* name) {
    return w.menuBar()->findChild<QMenu*>(QString::fromLatin1(name));
}

QAction* itemNamed(QMenu* menu, const QString& name) {
    for (QAction* a : menu->actions())
        if (a->objectName() == name) return a;
    return nullptr;
}

// The menus as the user sees them, item by item: caption, key, picture (none: -1), enabled in a new
// window; "-" is a separator line.
struct MenuItem {
    const char* caption;
    const char* key;
    int picture;
    bool enabled;
};

struct MenuLayout {
    const char* name;
    const char* title;
    std::vector<MenuItem> items;
};

const MenuItem kLine = {"-", "", -1, true};

const std::vector<MenuLayout>& menuLayouts() {
    static const std::vector<MenuLayout> layouts = {
        {"fileMenu",
         "ファイル(&F)",
         {{"新規作成(&N)", "Ctrl+N", -1, true},
          kLine,
          {"開く(&O)...", "Ctrl+O", 2, true},
          {"文字コードを指定して開き直す(&E)", "", -1, false},
          kLine,
          {"上書き保存(&S)", "Ctrl+S", 3, true},
          {"名前を付けて保存(&A)", "", -1, true},
          {"文書の情報(&I)...", "", -1, true},
          kLine,
          {"終了(&X)", "Alt+F4", 1, true}}},
        {"editMenu",
         "編集(&E)",
         {{"元に戻す(&U)", "Ctrl+Z", 8, false},
          {"やり直し(&R)", "Ctrl+Y", -1, false},
          kLine,
          {"切り取り(&X)", "Ctrl+X", 9, false},
          {"コピー(&C)", "Ctrl+C", 12, false},
          {"貼りつけ(&P)", "Ctrl+V", 11, true},
          {"削除(&D)", "", 10, false},
          {"全て選択(&A)", "Ctrl+A", -1, true},
          kLine,
          {"検索(&F)...", "Ctrl+F", -1, true},
          {"置換(&R)...", "Ctrl+R", -1, true},
          {"次を検索(&N)", "F3", -1, true},
          {"前を検索", "Shift+F3", -1, true},
          {"行へ移動(&G)...", "Ctrl+G", -1, true},
          kLine,
          {"節を上へ移動", "Alt+Shift+Up", -1, false},
          {"節を下へ移動", "Alt+Shift+Down", -1, false},
          {"節のレベルを上げる", "Alt+Shift+Left", -1, false},
          {"節のレベルを下げる", "Alt+Shift+Right", -1, false},
          kLine,
          {"カレントフォルダを開く(&D)", "", -1, true}}},
        {"settingsMenu",
         "設定(&S)",
         {{"設定(&S)...", "", 14, true},
          kLine,
          {"フォントの設定(&F)...", "", 7, true},
          {"背景色の設定(&B)...", "", 6, true},
          {"テキスト色の設定(&T)...", "", 6, true},
          kLine,
          {"右端で折り返す(&W)", "", 8, true},
          {"タイトル記号の順を見出しのレベルにする(&H)", "", -1, true},
          kLine,
          {"保存する文字コード(&C)", "", -1, true},
          {"改行コード(&L)", "", -1, true}}},
        {"indexMenu", "インデックス(&I)", {{"見出しの絞り込み(&J)", "Ctrl+J", -1, true}, kLine}},
        {"viewMenu",
         "表示(&V)",
         {{"前のインデックスへ移動(&P)", "Alt+Up", 16, true},
          {"次のインデックスへ移動(&N)", "Alt+Down", 15, true},
          kLine,
          {"リストビューを表示する(&L)", "", -1, true},
          kLine,
          {"更新(&U)", "F5", -1, true},
          kLine,
          {"見出しで折りたたむ(&F)", "", -1, true},
          {"節を折りたたむ", "Ctrl+[", -1, false},
          {"節を展開", "Ctrl+]", -1, false},
          {"すべて折りたたむ", "", -1, false},
          {"すべて展開", "", -1, false},
          kLine,
          {"レベル1まで表示", "", -1, true},
          {"レベル2まで表示", "", -1, true},
          {"レベル3まで表示", "", -1, true},
          {"レベル4まで表示", "", -1, true}}},
        {"helpMenu", "ヘルプ(&H)", {{"バージョン情報(&A)...", "", -1, true}, {"ヘルプ(&H)...", "F1", -1, true}}},
    };
    return layouts;
}

}  // namespace

class CommandsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SetupTestApplication(); }

    void menuBarHoldsTheMenusInOrder();
    void menuItems_data();
    void menuItems();
    void textViewMenuRunsTheEditCommands();

    void colourCommandsAreEnabledEveryTimeSettingsOpens();
    void findKeysOpenTheBarWhateverHasFocus_data();
    void findKeysOpenTheBarWhateverHasFocus();
    void redoFollowsUndo_data();
    void redoFollowsUndo();
    void unofferedDisabledKeysReachTheControl_data();
    void unofferedDisabledKeysReachTheControl();
    void disabledCopyLeavesClipboard();
    void disabledCutLeavesText();
    void commandKeysWorkWhateverHasFocus_data();
    void commandKeysWorkWhateverHasFocus();
    void accessKeysWorkWhateverHasFocus_data();
    void accessKeysWorkWhateverHasFocus();
    void copyFromListCopiesMemoSelection();
    void updateHandlersRunWhenMenuOpens();
    void updateHandlersRunOnIdle();

    void tabOrderAndInitialFocus();
    void frameSizeAndCaption();

private:
    Sandbox m_box;
    std::unique_ptr<MainWindow> m_shared;  // one window for the rows that only look
};

void CommandsTest::menuBarHoldsTheMenusInOrder() {
    auto w = m_box.makeWindow(false);
    QCOMPARE(w->menuBar()->objectName(), QStringLiteral("menuBar"));
    const QList<QAction*> tops = w->menuBar()->actions();
    QCOMPARE(tops.size(), static_cast<int>(menuLayouts().size()));
    for (int i = 0; i < tops.size(); ++i) {
        const MenuLayout& layout = menuLayouts()[static_cast<std::size_t>(i)];
        QVERIFY(tops[i]->menu());
        QCOMPARE(tops[i]->menu()->objectName(), QString::fromLatin1(layout.name));
        QCOMPARE(tops[i]->text(), U(layout.title));
        QCOMPARE(tops[i]->menu()->actions().size(), static_cast<int>(layout.items.size()));
        for (std::size_t k = 0; k < layout.items.size(); ++k)
            QCOMPARE(tops[i]->menu()->actions()[static_cast<int>(k)]->isSeparator(),
                     QLatin1String(layout.items[k].caption) == QLatin1String("-"));
    }
}

void CommandsTest::menuItems_data() {
    QTest::addColumn<QString>("menu");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("picture");
    QTest::addColumn<bool>("enabled");
    for (const MenuLayout& layout : menuLayouts())
        for (std::size_t i = 0; i < layout.items.size(); ++i) {
            const MenuItem& item = layout.items[i];
            if (QLatin1String(item.caption) == QLatin1String("-")) continue;
            QTest::newRow(item.caption) << QString::fromLatin1(layout.name) << static_cast<int>(i)
                                        << QString::fromLatin1(item.key) << item.picture << item.enabled;
        }
}

void CommandsTest::menuItems() {
    QFETCH(QString, menu);
    QFETCH(int, position);
    QFETCH(QString, key);
    QFETCH(int, picture);
    QFETCH(bool, enabled);
    if (!m_shared) m_shared = m_box.makeWindow(false);
    QMenu* m = menuNamed(*m_shared, menu.toLatin1().constData());
    QVERIFY(m);
    Q_EMIT m->aboutToShow();
    QAction* a = m->actions().value(position);
    QVERIFY(a && a->isVisible() && !a->isSeparator());
    const QStringList parts = a->text().split(QLatin1Char('\t'));
    QCOMPARE(parts.value(0), U(QTest::currentDataTag()));
    QCOMPARE(parts.value(1), key.isEmpty() ? QString() : QKeySequence(key).toString(QKeySequence::NativeText));
    if (picture < 0)
        QVERIFY(a->icon().isNull());
    else
        QVERIFY(sameIcon(a->icon(), Picture(static_cast<PictureId>(picture))));
    QCOMPARE(a->isEnabled(), enabled);
    // No key reaches a command through Qt's own shortcuts: the window routes them.
    QVERIFY(a->shortcut().isEmpty());
}

// The text view's own menu runs the edit commands under its own captions, without keys or pictures;
// its 削除 can be undone, the Edit menu's cannot.
void CommandsTest::textViewMenuRunsTheEditCommands() {
    auto w = m_box.makeWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    w->textView()->setText(QStringLiteral("hello world"));
    w->textView()->setSelection(0, 0, 0, 5);
    w->textView()->setFocus();
    QMenu* opened = nullptr;
    QTimer::singleShot(50, [&opened] {
        opened = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (opened) opened->close();
    });
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), w->textView()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(w->textView()->viewport(), &click);
    QVERIFY(opened);
    QStringList seen;
    for (QAction* a : opened->actions())
        seen << (a->isSeparator() ? QStringLiteral("-")
                                  : a->text() + (a->isEnabled() ? QString() : QStringLiteral(" (off)")) +
                                        (a->icon().isNull() ? QString() : QStringLiteral(" (picture)")));
    QCOMPARE(seen, QStringList({U("元に戻す(&U) (off)"), U("やり直し(&R) (off)"), QStringLiteral("-"), U("切り取り(&T)"),
                                U("コピー(&C)"), U("貼り付け(&P)"), U("削除(&D)"), QStringLiteral("-"),
                                U("すべて選択(&A)")}));
    // As a choice made in the menu opened again.
    auto item = [opened](const char* caption) {
        Q_EMIT opened->aboutToShow();
        for (QAction* a : opened->actions())
            if (a->text() == U(caption)) return a;
        return static_cast<QAction*>(nullptr);
    };
    QApplication::clipboard()->setText(QStringLiteral("before"));
    item("切り取り(&T)")->trigger();
    QCOMPARE(w->textView()->text(), QStringLiteral(" world"));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("hello"));
    item("すべて選択(&A)")->trigger();
    QCOMPARE(w->textView()->SelLength(), 6);
    item("削除(&D)")->trigger();
    QCOMPARE(w->textView()->text(), QString());
    QVERIFY(item("元に戻す(&U)")->isEnabled());
    item("元に戻す(&U)")->trigger();
    QVERIFY(!w->textView()->text().isEmpty());
    w->textView()->setText(QStringLiteral("hello world"));
    w->textView()->setSelection(0, 0, 0, 6);
    QVERIFY(w->commands().runCommand(CommandId::Delete));
    QCOMPARE(w->textView()->text(), QStringLiteral("world"));
    QVERIFY(!w->textView()->CanUndo());
    // Disabled as the command is when the menu opens.
    QVERIFY(!item("削除(&D)")->isEnabled());
    QVERIFY(!item("元に戻す(&U)")->isEnabled());
}

void CommandsTest::colourCommandsAreEnabledEveryTimeSettingsOpens() {
    auto w = m_box.makeWindow();
    QMenu* settings = menuNamed(*w, "settingsMenu");
    for (int i = 0; i < 3; ++i) {
        Q_EMIT settings->aboutToShow();
        for (const char* name : {"backColour", "textColour"}) {
            QAction* item = itemNamed(settings, QString::fromLatin1(name));
            QVERIFY2(item && item->isVisible() && item->isEnabled(), name);
        }
        runIdle();
    }
}

void CommandsTest::findKeysOpenTheBarWhateverHasFocus_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<bool>("replace");
    QTest::newRow("Ctrl+F in memo") << int(Qt::Key_F) << QStringLiteral("textView") << false;
    QTest::newRow("Ctrl+R in memo") << int(Qt::Key_R) << QStringLiteral("textView") << true;
    QTest::newRow("Ctrl+F in list") << int(Qt::Key_F) << QStringLiteral("headingList") << false;
    QTest::newRow("Ctrl+R in combo") << int(Qt::Key_R) << QStringLiteral("headingCombo") << true;
}

// The key opens the bar, with the replacement row for Ctrl+R, and never reaches the text view.
void CommandsTest::findKeysOpenTheBarWhateverHasFocus() {
    QFETCH(int, key);
    QFETCH(QString, focus);
    QFETCH(bool, replace);
    auto w = m_box.makeWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    w->textView()->setText(QStringLiteral("abc"));
    QWidget* target = w->findChild<QWidget*>(focus);
    QVERIFY(target);
    target->setFocus();
    QVERIFY(!w->findBar()->isVisible());
    KeyRecorder down(w->textView(), &TextView::keyDown);
    QTest::keyClick(target, Qt::Key(key), Qt::ControlModifier);
    QCoreApplication::processEvents();
    QVERIFY(!down.saw(key));
    QCOMPARE(w->textView()->text(), QStringLiteral("abc"));
    QVERIFY(w->findBar()->isVisible());
    QCOMPARE(w->findBar()->ReplaceShown(), replace);
    QVERIFY(w->findBar()->isAncestorOf(QApplication::focusWidget()));
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

void CommandsTest::redoFollowsUndo_data() {
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("key");
    QTest::newRow("Ctrl+Y") << int(Qt::ControlModifier) << int(Qt::Key_Y);
    QTest::newRow("Ctrl+Shift+Z") << int(Qt::ControlModifier | Qt::ShiftModifier) << int(Qt::Key_Z);
}

void CommandsTest::redoFollowsUndo() {
    QFETCH(int, modifiers);
    QFETCH(int, key);
    auto w = m_box.makeWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    QAction* redo = w->commands().action(CommandId::Redo);
    w->textView()->setFocus();
    QTest::keyClicks(w->textView(), QStringLiteral("ab"));
    w->commands().updateCommands();
    QVERIFY(!redo->isEnabled());
    QTest::keyClick(w->textView(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w->textView()->text(), QString());
    Q_EMIT menuNamed(*w, "editMenu")->aboutToShow();
    QVERIFY(redo->isEnabled());
    QTest::keyClick(w->index()->headingList(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(w->textView()->text(), QStringLiteral("ab"));
    w->commands().updateCommands();
    QVERIFY(!redo->isEnabled());
    // Nothing left to redo: the key does nothing more.
    QTest::keyClick(w->textView(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(w->textView()->text(), QStringLiteral("ab"));
}

void CommandsTest::unofferedDisabledKeysReachTheControl_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Esc") << int(Qt::Key_Escape);
}

void CommandsTest::unofferedDisabledKeysReachTheControl() {
    QFETCH(int, key);
    auto w = m_box.makeWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    w->textView()->setText(QStringLiteral("abc"));
    w->textView()->setFocus();
    KeyRecorder down(w->textView(), &TextView::keyDown);
    KeyRecorder up(w->textView(), &TextView::keyUp);
    QTest::keyClick(w->textView(), Qt::Key(key));
    QVERIFY(down.saw(key));
    QVERIFY(up.saw(key));
    QCOMPARE(w->textView()->text(), QStringLiteral("abc"));
    QVERIFY(w->isVisible());
}

void CommandsTest::disabledCopyLeavesClipboard() {
    auto w = m_box.makeWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    QApplication::clipboard()->setText(QStringLiteral("before"));
    w->textView()->setText(QStringLiteral("hello"));
    w->textView()->SetSelStart(2);
    w->textView()->setFocus();
    KeyRecorder down(w->textView(), &TextView::keyDown);
    QTest::keyClick(w->textView(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("before"));
    QVERIFY(!down.saw(Qt::Key_C));
}

void CommandsTest::disabledCutLeavesText() {
    auto w = m_box.makeWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    QApplication::clipboard()->setText(QStringLiteral("before"));
    w->textView()->setText(QStringLiteral("hello\nworld"));
    w->textView()->SetSelStart(3);
    w->textView()->setFocus();
    QTest::keyClick(w->textView(), Qt::Key_X, Qt::ControlModifier);
    QCoreApplication::processEvents();
    QCOMPARE(w->textView()->text(), QStringLiteral("hello\nworld"));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("before"));
    // With a selection the same key cuts: the key refreshes the command before running it.
    w->textView()->setSelection(0, 0, 0, 5);
    QVERIFY(!w->commands().action(CommandId::Cut)->isEnabled());
    QTest::keyClick(w->textView(), Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(w->textView()->text(), QStringLiteral("\nworld"));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("hello"));
}

void CommandsTest::commandKeysWorkWhateverHasFocus_data() {
    QTest::addColumn<QString>("focus");
    QTest::newRow("list") << QStringLiteral("headingList");
    QTest::newRow("combo") << QStringLiteral("headingCombo");
    QTest::newRow("memo") << QStringLiteral("textView");
}

void CommandsTest::commandKeysWorkWhateverHasFocus() {
    QFETCH(QString, focus);
    auto w = m_box.makeWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    w->textView()->setText(U("■見出し\r\n本文です\r\n"));
    w->index()->rebuild();
    QWidget* target = w->findChild<QWidget*>(focus);
    target->setFocus();
    QCOMPARE(QApplication::focusWidget(), target);

    QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
    QVERIFY(w->textView()->HasSelection());
    QCOMPARE(w->textView()->SelStart(), 0);
    QCOMPARE(w->textView()->SelLength(), static_cast<int>(w->textView()->GetText().size()));
    QCOMPARE(QApplication::focusWidget(), target);

    const int rebuilds = w->index()->rebuildCount();
    QTest::keyClick(target, Qt::Key_F5);
    QCOMPARE(w->index()->rebuildCount(), rebuilds + 1);
}

// Rows "handed back" deliver the key press to the window's key routing and the control, offered to no
// shortcut first, as a key an input method hands back may come.
void CommandsTest::accessKeysWorkWhateverHasFocus_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("handedBack");
    QTest::addColumn<QString>("opens");  // the menu the key opens, or the find bar's box it toggles
    const auto row = [](const char* name, const char* focus, Qt::Key key, bool handedBack,
                        const char* opens) {
        QTest::newRow(name) << QString::fromLatin1(focus) << int(key) << handedBack
                            << QString::fromUtf8(opens);
    };
    row("Alt+F in the text", "textView", Qt::Key_F, false, "fileMenu");
    row("Alt+S in the text", "textView", Qt::Key_S, false, "settingsMenu");
    row("Alt+F in the filter field", "filterField", Qt::Key_F, false, "fileMenu");
    row("Alt+V in the list", "headingList", Qt::Key_V, false, "viewMenu");
    row("Alt+H in the drop-down", "headingCombo", Qt::Key_H, false, "helpMenu");
    row("Alt+F in the find field", "FindField", Qt::Key_F, false, "fileMenu");
    row("Alt+X in the find field", "FindField", Qt::Key_X, false, "正規表現(&X)");
    row("Alt+F handed back in the text", "textView", Qt::Key_F, true, "fileMenu");
    row("Alt+I handed back in the text", "textView", Qt::Key_I, true, "indexMenu");
    row("Alt+S handed back in the filter field", "filterField", Qt::Key_S, true, "settingsMenu");
    row("Alt+E handed back in the find field", "FindField", Qt::Key_E, true, "editMenu");
    row("Alt+X handed back in the find field", "FindField", Qt::Key_X, true, "正規表現(&X)");
    row("Alt+C handed back in the replace field", "ReplaceField", Qt::Key_C, true,
        "大文字と小文字を区別する(&C)");
    row("Alt+X handed back in the text, find bar open", "textView", Qt::Key_X, true, "正規表現(&X)");
    row("Alt+Q handed back in the find field", "FindField", Qt::Key_Q, true, "");
    row("Alt+Q in the filter field", "filterField", Qt::Key_Q, false, "");
}

// A menu's access key opens it, a find option's toggles it; no letter is typed anywhere.
void CommandsTest::accessKeysWorkWhateverHasFocus() {
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(bool, handedBack);
    QFETCH(QString, opens);
    auto w = m_box.makeWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    w->textView()->setText(U("■見出し\r\n本文です\r\n"));
    w->index()->rebuild();
    QTest::keyClick(w->textView(), Qt::Key_R, Qt::ControlModifier);  // the find bar is open in every row
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("ab"));
    QWidget* target = w->findChild<QWidget*>(focus);
    QVERIFY(target && target->isVisible());
    target->setFocus();
    QWidget* typing = QApplication::focusWidget();
    const auto fields = [&w] {
        return w->textView()->text() + QLatin1Char('|') + w->index()->filterField()->text() +
               QLatin1Char('|') + w->findBar()->FindText() + QLatin1Char('|') +
               w->findBar()->ReplaceField()->text();
    };
    const QString before = fields();
    QCheckBox* box = nullptr;
    for (QCheckBox* b : w->findBar()->findChildren<QCheckBox*>())
        if (b->text() == opens) box = b;
    const bool checked = box && box->isChecked();

    if (handedBack) {
        // The window's key routing, then the control, as a key press comes that no shortcut was
        // offered; QObject's public face reaches both.
        QKeyEvent press(QEvent::KeyPress, key, Qt::AltModifier, QString(QChar(key)).toLower());
        QObject* window = w.get();
        QObject* control = typing;
        if (!window->eventFilter(typing, &press)) control->event(&press);
    } else {
        QTest::keyClick(typing, Qt::Key(key), Qt::AltModifier);
    }
    QCoreApplication::processEvents();
    QCOMPARE(fields(), before);
    if (box) {
        QTRY_COMPARE(box->isChecked(), !checked);
        return;
    }
    QWidget* popup = QApplication::activePopupWidget();
    QCOMPARE(popup ? popup->objectName() : QString(), opens);
    if (popup) popup->close();
}

void CommandsTest::copyFromListCopiesMemoSelection() {
    auto w = m_box.makeWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    QApplication::clipboard()->setText(QStringLiteral("before"));
    w->textView()->setText(U("一行目\n二行目\n"));
    w->textView()->setSelection(1, 0, 1, 2);
    w->index()->headingList()->setFocus();
    QTest::keyClick(w->index()->headingList(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), U("二行"));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->index()->headingList()));
}

void CommandsTest::updateHandlersRunWhenMenuOpens() {
    auto w = m_box.makeWindow();
    w->textView()->setText(QStringLiteral("some text"));
    w->commands().updateCommands();
    QMenu* edit = menuNamed(*w, "editMenu");
    QAction* cut = itemNamed(edit, QStringLiteral("cut"));
    QAction* copy = itemNamed(edit, QStringLiteral("copy"));
    QAction* del = itemNamed(edit, QStringLiteral("delete"));
    QVERIFY(!cut->isEnabled());
    w->textView()->setSelection(0, 0, 0, 4);
    QVERIFY(!cut->isEnabled());  // nothing has refreshed it yet
    Q_EMIT edit->aboutToShow();
    QVERIFY(cut->isEnabled());
    QVERIFY(copy->isEnabled());
    QVERIFY(del->isEnabled());

    // The word-wrap item shows the window's state when the Settings menu opens.
    QAction* wrap = itemNamed(menuNamed(*w, "settingsMenu"), QStringLiteral("wordWrap"));
    w->SetWordWrap(true);
    Q_EMIT menuNamed(*w, "settingsMenu")->aboutToShow();
    QVERIFY(wrap->isChecked());
    w->SetWordWrap(false);
    Q_EMIT menuNamed(*w, "settingsMenu")->aboutToShow();
    QVERIFY(!wrap->isChecked());
}

void CommandsTest::updateHandlersRunOnIdle() {
    auto w = m_box.makeWindow();
    w->textView()->setText(QStringLiteral("some text"));
    w->textView()->setSelection(0, 0, 0, 4);
    runIdle();
    QAction* cut = w->commands().action(CommandId::Cut);
    QVERIFY(cut->isEnabled());
    w->textView()->SetSelStart(0);
    runIdle();
    QVERIFY(!cut->isEnabled());
    QVERIFY(!w->commands().action(CommandId::Copy)->isEnabled());
}

void CommandsTest::tabOrderAndInitialFocus() {
    auto w = m_box.makeWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->index()->headingCombo()));
    QTest::keyClick(w->index()->headingCombo(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->index()->headingList()));
    QTest::keyClick(w->index()->headingList(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->textView()));
    // In the text view Tab is typed into the text.
    QTest::keyClick(w->textView(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->textView()));
    QCOMPARE(w->textView()->text(), QStringLiteral("\t"));
}

void CommandsTest::frameSizeAndCaption() {
    auto w = m_box.makeWindow();
    QCOMPARE(w->windowTitle(), QString::fromLatin1(version::kNameAndNumber));
    QCOMPARE(w->minimumSize(), QSize(300, 200));
    w->resize(100, 50);
    QCOMPARE(w->size(), QSize(300, 200));
}

QTEST_MAIN(CommandsTest)
#include "tst_commands.moc"

// The main window's command table, its menus, and the rules by which keys reach commands or controls.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
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
#include "widgets/ImageList.h"

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

// One menu item as the user sees it: "-" stands for a separator line.
struct MenuItem {
    const char* name;
    const char* caption;
    const char* key;
    int picture;
    bool visible;
};

struct MenuLayout {
    const char* name;
    const char* title;
    std::vector<MenuItem> items;
};

const std::vector<MenuLayout>& menuLayouts() {
    static const std::vector<MenuLayout> layouts = {
        {"File1",
         "ファイル(&F)",
         {{"N10", "新規作成(&N)", "", -1, true},
          {"N8", "-", "", -1, true},
          {"actFileOpen", "開く(&O)...", "Ctrl+O", 2, true},
          {"actFileReopen", "文字コードを指定して開き直す(&E)", "", -1, true},
          {"N1", "-", "", -1, true},
          {"actFileSave", "上書き保存(&S)", "Ctrl+S", 3, true},
          {"SaveAs1", "名前を付けて保存(&A)", "", -1, true},
          {"N2", "-", "", -1, true},
          {"actFileExit", "終了(&X)", "Alt+F4", 1, true}}},
        {"Edit1",
         "編集(&E)",
         {{"actEditUndo", "元に戻す(&U)", "Ctrl+Z", 8, true},
          {"actEditRedo", "やり直し(&R)", "Ctrl+Y", -1, true},
          {"N9", "-", "", -1, true},
          {"actEditCut", "切り取り(&X)", "Ctrl+X", 9, true},
          {"actEditCopy", "コピー(&C)", "Ctrl+C", 12, true},
          {"actEditPaste", "貼りつけ(&P)", "Ctrl+V", 11, true},
          {"actEditDelete", "削除(&D)", "", 10, true},
          {"actEditSelectAll", "全て選択(&A)", "Ctrl+A", -1, true},
          {"N11", "-", "", -1, true},
          {"actEditFind", "検索(&F)...", "Ctrl+F", -1, true},
          {"actEditReplace", "置換(&R)...", "Ctrl+R", -1, true},
          {"actEditFindNext", "次を検索(&N)", "F3", -1, true},
          {"actEditFindPrev", "前を検索", "Shift+F3", -1, true},
          {"actEditGoToLine", "行へ移動(&G)...", "Ctrl+G", -1, true},
          {"N12", "-", "", -1, true},
          {"actOptOpenFolder", "カレントフォルダを開く(&D)", "", -1, true}}},
        {"S1",
         "設定(&S)",
         {{"actOptSetting", "設定(&S)...", "", 14, true},
          {"N3", "-", "", -1, true},
          {"actOptFontCtrl", "フォントの設定(&F)...", "", 7, true},
          {"actOptBackColor", "背景色の設定(&B)...", "", 6, true},
          {"actOptTextColor", "テキスト色の設定(&T)...", "", 6, true},
          {"N4", "-", "", -1, true},
          {"actOptWordWrap", "右端で折り返す(&W)", "", 8, true},
          {"actOptHeadingLevels", "タイトル記号の順を見出しのレベルにする(&H)", "", -1, true},
          {"N13", "-", "", -1, true},
          {"actOptSaveEncoding", "保存する文字コード(&C)", "", -1, true},
          {"actOptLineBreak", "改行コード(&L)", "", -1, true}}},
        {"mnuIndex",
         "インデックス(&I)",
         {{"actIndexFilter", "見出しの絞り込み(&J)", "Ctrl+J", -1, true}, {"N14", "-", "", -1, true}}},
        {"Show1",
         "表示(&V)",
         {{"P2", "前のインデックスへ移動(&P)", "Alt+Up", 16, true},
          {"N5", "次のインデックスへ移動(&N)", "Alt+Down", 15, true},
          {"N6", "-", "", -1, true},
          {"actShowListView", "リストビューを表示する(&L)", "", -1, true},
          {"N7", "-", "", -1, true},
          {"actFileUpDate", "更新(&U)", "F5", -1, true}}},
        {"Help2",
         "ヘルプ(&H)",
         {{"actAbout", "バージョン情報(&A)...", "", -1, true},
          {"actOptHelp", "ヘルプ(&H)...", "F1", -1, true}}},
    };
    return layouts;
}

// The commands whose behaviour is none: disabled from their first refresh on.
const char* const kWithoutBehaviour[] = {"actCancel", "actBtnMaximized"};

}  // namespace

class CommandsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SetupTestApplication(); }

    void commandTable_data();
    void commandTable();
    void tableHoldsThirtyThreeCommands();
    void menuBarHoldsTheMenusInOrder();
    void menuItems_data();
    void menuItems();
    void noCommandShowsOutsideItsMenu();

    void commandWithoutBehaviourIsDisabled();
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
};

void CommandsTest::commandTable_data() {
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("picture");
    QTest::addColumn<int>("position");
    struct Row {
        const char* name;
        const char* category;
        const char* caption;
        const char* key;
        int picture;
    };
    static const Row rows[] = {
        {"actFileUpDate", "ファイル", "更新(&U)", "F5", -1},
        {"actFileSave", "ファイル", "上書き保存+更新(&S)", "Ctrl+S", 3},
        {"actCancel", "", "キャンセル", "Esc", 0},
        {"actFileExit", "ファイル", "終了(&X)", "Alt+F4", 1},
        {"actFileOpen", "ファイル", "開く(&O)...", "", 2},
        {"actOptTextColor", "オプション", "テキスト色の設定(&T)...", "", 6},
        {"actOptSetting", "オプション", "設定(&S)...", "", 8},
        {"actOptFontCtrl", "オプション", "フォントの設定(&F)...", "", 7},
        {"actOptBackColor", "オプション", "背景色の設定(&B)...", "", 6},
        {"actOptWordWrap", "オプション", "右端で折り返す(&W)", "", 9},
        {"actOptHelp", "オプション", "ヘルプ(&H)...", "F1", -1},
        {"actEditCopy", "編集", "コピー(&C)", "Ctrl+C", 10},
        {"actEditCut", "編集", "切り取り(&X)", "Ctrl+X", 11},
        {"actEditPaste", "編集", "貼りつけ(&P)", "Ctrl+V", 13},
        {"actEditDelete", "編集", "削除(&D)", "", 12},
        {"actEditSelectAll", "編集", "全て選択(&A)", "Ctrl+A", -1},
        {"actEditFind", "編集", "検索(&F)...", "Ctrl+F", -1},
        {"actEditReplace", "編集", "置換(&R)...", "Ctrl+R", -1},
        {"actEditUndo", "編集", "元に戻す(&U)", "Ctrl+Z", 15},
        {"actAbout", "オプション", "バージョン情報(&A)...", "", -1},
        {"actEditFindNext", "編集", "次を検索(&N)", "F3", -1},
        {"actBtnMinimize", "ボタン", "-", "", -1},
        {"actBtnMaximized", "ボタン", "□", "", -1},
        {"actOptOpenFolder", "オプション", "カレントフォルダを開く(&D)", "", -1},
        {"actShowListView", "", "リストビューを表示する(&L)", "", -1},
        {"actIndexFilter", "インデックス", "見出しの絞り込み(&J)", "Ctrl+J", -1},
        {"actOptHeadingLevels", "オプション", "タイトル記号の順を見出しのレベルにする(&H)", "", -1},
        {"actEditFindPrev", "編集", "前を検索", "Shift+F3", -1},
        {"actEditGoToLine", "編集", "行へ移動(&G)...", "Ctrl+G", -1},
        {"actEditRedo", "編集", "やり直し(&R)", "Ctrl+Y", -1},
        {"actFileReopen", "ファイル", "文字コードを指定して開き直す(&E)", "", -1},
        {"actOptSaveEncoding", "オプション", "保存する文字コード(&C)", "", -1},
        {"actOptLineBreak", "オプション", "改行コード(&L)", "", -1},
    };
    int position = 0;
    for (const Row& r : rows)
        QTest::newRow(r.name) << U(r.category) << U(r.caption) << QString::fromLatin1(r.key) << r.picture
                              << position++;
}

void CommandsTest::commandTable() {
    QFETCH(QString, category);
    QFETCH(QString, caption);
    QFETCH(QString, key);
    QFETCH(int, picture);
    QFETCH(int, position);
    auto w = m_box.makeWindow(false);
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    QAction* a = w->Command(name);
    QVERIFY(a);
    QCOMPARE(a->property("order").toInt(), position);
    QCOMPARE(a->property("category").toString(), category);
    QCOMPARE(a->property("caption").toString(), caption);
    QCOMPARE(a->property("key").toString(), key);
    QCOMPARE(a->property("picture").toInt(), picture);
    if (name == QLatin1String("actBtnMinimize")) QCOMPARE(a->toolTip(), U("最小化"));
    if (name == QLatin1String("actBtnMaximized")) QCOMPARE(a->toolTip(), U("最大化／元に戻す"));
    // The command has no face of its own besides its menu item: no key reaches it through Qt's shortcuts.
    QVERIFY(a->shortcut().isEmpty());
}

void CommandsTest::tableHoldsThirtyThreeCommands() {
    auto w = m_box.makeWindow(false);
    int n = 0;
    for (QAction* a : w->findChildren<QAction*>())
        if (a->property("order").isValid()) ++n;
    QCOMPARE(n, 33);
}

void CommandsTest::menuBarHoldsTheMenusInOrder() {
    auto w = m_box.makeWindow(false);
    QCOMPARE(w->menuBar()->objectName(), QStringLiteral("MainMenu1"));
    const QList<QAction*> tops = w->menuBar()->actions();
    QCOMPARE(tops.size(), static_cast<int>(menuLayouts().size()));
    for (int i = 0; i < tops.size(); ++i) {
        const MenuLayout& layout = menuLayouts()[static_cast<std::size_t>(i)];
        QVERIFY(tops[i]->menu());
        QCOMPARE(tops[i]->menu()->objectName(), QString::fromLatin1(layout.name));
        QCOMPARE(tops[i]->text(), U(layout.title));
    }
}

void CommandsTest::menuItems_data() {
    QTest::addColumn<int>("menu");
    for (std::size_t i = 0; i < menuLayouts().size(); ++i)
        if (!menuLayouts()[i].items.empty()) QTest::newRow(menuLayouts()[i].name) << static_cast<int>(i);
}

void CommandsTest::menuItems() {
    QFETCH(int, menu);
    const MenuLayout& layout = menuLayouts()[static_cast<std::size_t>(menu)];
    auto w = m_box.makeWindow(false);
    QMenu* m = menuNamed(*w, layout.name);
    QVERIFY(m);
    const QList<QAction*> actions = m->actions();
    QCOMPARE(actions.size(), static_cast<int>(layout.items.size()));
    for (int i = 0; i < actions.size(); ++i) {
        const MenuItem& want = layout.items[static_cast<std::size_t>(i)];
        QAction* a = actions[i];
        const QString where = QStringLiteral("%1 item %2").arg(QLatin1String(layout.name)).arg(i);
        QVERIFY2(a->objectName() == QLatin1String(want.name),
                 qPrintable(where + QLatin1String(" is ") + a->objectName()));
        QVERIFY2(a->isVisible() == want.visible, qPrintable(where));
        if (QLatin1String(want.caption) == QLatin1String("-")) {
            QVERIFY2(a->isSeparator(), qPrintable(where));
            continue;
        }
        QVERIFY2(!a->isSeparator(), qPrintable(where));
        const QStringList parts = a->text().split(QLatin1Char('\t'));
        QCOMPARE(parts.value(0), U(want.caption));
        const QString key = QString::fromLatin1(want.key);
        QCOMPARE(parts.value(1),
                 key.isEmpty() ? QString() : QKeySequence(key).toString(QKeySequence::NativeText));
        if (want.picture < 0)
            QVERIFY2(a->icon().isNull(), qPrintable(where));
        else
            QVERIFY2(sameIcon(a->icon(), ImageList1(want.picture)), qPrintable(where));
    }
}

void CommandsTest::noCommandShowsOutsideItsMenu() {
    auto w = m_box.makeWindow();
    for (const char* name : {"actCancel", "actBtnMinimize", "actBtnMaximized"}) {
        QAction* a = w->Command(QString::fromLatin1(name));
        QVERIFY(a);
        QVERIFY2(a->associatedObjects().isEmpty(), name);
    }
}

void CommandsTest::commandWithoutBehaviourIsDisabled() {
    auto w = m_box.makeWindow();
    runIdle();
    for (const char* name : kWithoutBehaviour) {
        QVERIFY2(!w->Command(QString::fromLatin1(name))->isEnabled(), name);
        QVERIFY2(!w->RunCommand(QString::fromLatin1(name)), name);
    }
    w->UpdateCommands();
    for (const char* name : kWithoutBehaviour)
        QVERIFY2(!w->Command(QString::fromLatin1(name))->isEnabled(), name);
}

void CommandsTest::colourCommandsAreEnabledEveryTimeSettingsOpens() {
    auto w = m_box.makeWindow();
    QMenu* settings = menuNamed(*w, "S1");
    for (int i = 0; i < 3; ++i) {
        Q_EMIT settings->aboutToShow();
        for (const char* name : {"actOptBackColor", "actOptTextColor"}) {
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
    QTest::newRow("Ctrl+F in memo") << int(Qt::Key_F) << QStringLiteral("memo") << false;
    QTest::newRow("Ctrl+R in memo") << int(Qt::Key_R) << QStringLiteral("memo") << true;
    QTest::newRow("Ctrl+F in list") << int(Qt::Key_F) << QStringLiteral("ListBox1") << false;
    QTest::newRow("Ctrl+R in combo") << int(Qt::Key_R) << QStringLiteral("cmbMain") << true;
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
    QAction* redo = w->Command(QStringLiteral("actEditRedo"));
    w->textView()->setFocus();
    QTest::keyClicks(w->textView(), QStringLiteral("ab"));
    w->UpdateCommands();
    QVERIFY(!redo->isEnabled());
    QTest::keyClick(w->textView(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w->textView()->text(), QString());
    Q_EMIT menuNamed(*w, "Edit1")->aboutToShow();
    QVERIFY(redo->isEnabled());
    QTest::keyClick(w->index()->headingList(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(w->textView()->text(), QStringLiteral("ab"));
    w->UpdateCommands();
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
    QVERIFY(!w->Command(QStringLiteral("actEditCut"))->isEnabled());
    QTest::keyClick(w->textView(), Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(w->textView()->text(), QStringLiteral("\nworld"));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("hello"));
}

void CommandsTest::commandKeysWorkWhateverHasFocus_data() {
    QTest::addColumn<QString>("focus");
    QTest::newRow("list") << QStringLiteral("ListBox1");
    QTest::newRow("combo") << QStringLiteral("cmbMain");
    QTest::newRow("memo") << QStringLiteral("memo");
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
    row("Alt+F in the text", "memo", Qt::Key_F, false, "File1");
    row("Alt+S in the text", "memo", Qt::Key_S, false, "S1");
    row("Alt+F in the filter field", "edtFilter", Qt::Key_F, false, "File1");
    row("Alt+V in the list", "ListBox1", Qt::Key_V, false, "Show1");
    row("Alt+H in the drop-down", "cmbMain", Qt::Key_H, false, "Help2");
    row("Alt+F in the find field", "FindField", Qt::Key_F, false, "File1");
    row("Alt+X in the find field", "FindField", Qt::Key_X, false, "正規表現(&X)");
    row("Alt+F handed back in the text", "memo", Qt::Key_F, true, "File1");
    row("Alt+I handed back in the text", "memo", Qt::Key_I, true, "mnuIndex");
    row("Alt+S handed back in the filter field", "edtFilter", Qt::Key_S, true, "S1");
    row("Alt+E handed back in the find field", "FindField", Qt::Key_E, true, "Edit1");
    row("Alt+X handed back in the find field", "FindField", Qt::Key_X, true, "正規表現(&X)");
    row("Alt+C handed back in the replace field", "ReplaceField", Qt::Key_C, true,
        "大文字と小文字を区別する(&C)");
    row("Alt+X handed back in the text, find bar open", "memo", Qt::Key_X, true, "正規表現(&X)");
    row("Alt+Q handed back in the find field", "FindField", Qt::Key_Q, true, "");
    row("Alt+Q in the filter field", "edtFilter", Qt::Key_Q, false, "");
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
    w->UpdateCommands();
    QMenu* edit = menuNamed(*w, "Edit1");
    QAction* cut = itemNamed(edit, QStringLiteral("actEditCut"));
    QAction* copy = itemNamed(edit, QStringLiteral("actEditCopy"));
    QAction* del = itemNamed(edit, QStringLiteral("actEditDelete"));
    QVERIFY(!cut->isEnabled());
    w->textView()->setSelection(0, 0, 0, 4);
    QVERIFY(!cut->isEnabled());  // nothing has refreshed it yet
    Q_EMIT edit->aboutToShow();
    QVERIFY(cut->isEnabled());
    QVERIFY(copy->isEnabled());
    QVERIFY(del->isEnabled());

    // The word-wrap item shows the window's state when the Settings menu opens.
    QAction* wrap = itemNamed(menuNamed(*w, "S1"), QStringLiteral("actOptWordWrap"));
    w->SetWordWrap(true);
    Q_EMIT menuNamed(*w, "S1")->aboutToShow();
    QVERIFY(wrap->isChecked());
    w->SetWordWrap(false);
    Q_EMIT menuNamed(*w, "S1")->aboutToShow();
    QVERIFY(!wrap->isChecked());
}

void CommandsTest::updateHandlersRunOnIdle() {
    auto w = m_box.makeWindow();
    w->textView()->setText(QStringLiteral("some text"));
    w->textView()->setSelection(0, 0, 0, 4);
    runIdle();
    QAction* cut = w->Command(QStringLiteral("actEditCut"));
    QVERIFY(cut->isEnabled());
    w->textView()->SetSelStart(0);
    runIdle();
    QVERIFY(!cut->isEnabled());
    QVERIFY(!w->Command(QStringLiteral("actEditCopy"))->isEnabled());
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

// The window in English where the locale asks for it, and in Japanese, its own language, when the English
// translation cannot be had.
#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QTest>

#include "app/ApplicationSetup.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/GoToLineDialog.h"
#include "dialogs/SettingsDialog.h"
#include "helpers/TestSupport.h"

using namespace oruvan;
using namespace oruvan::test;

namespace {

const QRegularExpression kJapanese(QStringLiteral("[\\x{3000}-\\x{30ff}\\x{4e00}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));

// Every text a user can read on the widget and its children: captions, titles, hints, names read aloud.
QStringList ShownTexts(const QWidget* top) {
    QStringList texts{top->windowTitle()};
    QList<QWidget*> widgets = top->findChildren<QWidget*>();
    widgets.prepend(const_cast<QWidget*>(top));
    for (const QWidget* w : widgets) {
        texts << w->toolTip() << w->accessibleName() << w->accessibleDescription();
        if (auto* b = qobject_cast<const QAbstractButton*>(w)) texts << b->text();
        if (auto* l = qobject_cast<const QLabel*>(w)) texts << l->text();
        if (auto* e = qobject_cast<const QLineEdit*>(w)) texts << e->placeholderText();
        if (auto* m = qobject_cast<const QMenu*>(w)) texts << m->title();
        for (const QAction* a : w->actions()) texts << a->text() << a->toolTip();
    }
    for (const QAction* a : top->findChildren<QAction*>()) texts << a->text() << a->toolTip();
    return texts;
}

QStringList JapaneseAmong(const QStringList& texts) {
    QStringList found;
    for (const QString& t : texts)
        if (t.contains(kJapanese)) found << t;
    return found;
}

QString FileMenuTitle(MainWindow& w) { return w.findChild<QMenu*>(QStringLiteral("fileMenu"))->title(); }

}  // namespace

class LanguageTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SetupTestApplication(); }

    // The main window, its menus, its find bar and each dialog, with no Japanese left in sight.
    void englishEverywhere() {
        QObject scope;  // the English translator lives as long as this
        QCOMPARE(InstallTranslations(&scope, UiLanguage::English, QStringLiteral(ORUVAN_TRANSLATIONS_DIR)),
                 QString());
        Sandbox box;
        auto w = box.makeWindow();
        QCOMPARE(FileMenuTitle(*w), QStringLiteral("&File"));
        QVERIFY(w->findChild<IndexMenu*>()->title() == QStringLiteral("&Index"));
        QTest::keyClick(w.get(), Qt::Key_R, Qt::ControlModifier);  // the find bar with its replace row
        QCOMPARE(JapaneseAmong(ShownTexts(w.get())), QStringList());
        SettingsDialog settings(w.get());
        QCOMPARE(JapaneseAmong(ShownTexts(&settings)), QStringList());
        GoToLineDialog goTo(10, 1, w.get());
        QCOMPARE(JapaneseAmong(ShownTexts(&goTo)), QStringList());
        AboutDialog about(w.get());
        about.SetNoticeText(AboutDialog::NoticeText());
        QCOMPARE(JapaneseAmong(ShownTexts(&about) << AboutDialog::NoticeText()), QStringList());
    }

    // A translation that cannot be loaded is said, and the window stays whole, in Japanese.
    void unloadableTranslation_data() {
        QTest::addColumn<QByteArray>("content");  // empty: no file
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << QByteArray() << QStringLiteral("it is missing");
        QTest::newRow("empty") << QByteArray("") << QStringLiteral("it is damaged");
        QTest::newRow("not a translation") << QByteArray("<TS>not compiled</TS>\n")
                                           << QStringLiteral("it is damaged");
    }
    void unloadableTranslation() {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        Sandbox box;
        const QString folder = box.path(QStringLiteral("translations"));
        if (!content.isNull()) {
            QDir().mkpath(folder);
            QFile qm(folder + QStringLiteral("/oruvan_en.qm"));
            QVERIFY(qm.open(QIODevice::WriteOnly));
            qm.write(content);
        }
        QObject scope;
        const QString problem = InstallTranslations(&scope, UiLanguage::English, folder);
        QVERIFY2(problem.contains(folder) && problem.contains(reason), qPrintable(problem));
        auto w = box.makeWindow();
        QCOMPARE(FileMenuTitle(*w), QStringLiteral("ファイル(&F)"));
    }
};

QTEST_MAIN(LanguageTest)
#include "tst_language.moc"

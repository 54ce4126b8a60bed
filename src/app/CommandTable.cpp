#include "app/CommandTable.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QWidget>

#include "widgets/MessageBoxes.h"

namespace oruvan {

struct CommandTable::Command {
    CommandRow row;
    QAction* action = nullptr;

    void update() const {
        if (row.update) row.update(action);
    }
    bool runnable() const { return action->isEnabled() && row.execute; }
};

namespace {

int Combined(const QKeyEvent* e) {
    return QKeyCombination(e->modifiers() & ~Qt::KeypadModifier, Qt::Key(e->key())).toCombined();
}

// The caption a menu shows: the command's own, then its key.
QString MenuText(const QString& caption, const char* key) {
    if (!*key) return caption;
    return caption + QLatin1Char('\t') +
           QKeySequence(QString::fromLatin1(key)).toString(QKeySequence::NativeText);
}

}  // namespace

CommandTable::CommandTable(QWidget* window) : QObject(window), m_window(window) {}

CommandTable::~CommandTable() = default;

void CommandTable::add(CommandRow row) {
    auto c = std::make_unique<Command>();
    c->row = std::move(row);
    c->action = new QAction(tr(c->row.caption), m_window);
    c->action->setObjectName(QString::fromLatin1(c->row.name));
    if (c->row.picture) c->action->setIcon(Picture(*c->row.picture));
    c->action->setCheckable(c->row.checkable);
    if (!c->row.execute) c->action->setEnabled(false);
    Command* raw = c.get();
    connect(c->action, &QAction::triggered, this, [this, raw] { execute(*raw); });
    m_commands.push_back(std::move(c));
}

CommandTable::Command* CommandTable::find(CommandId id) const {
    for (const auto& c : m_commands)
        if (c->row.id == id) return c.get();
    Q_ASSERT(false);
    return nullptr;
}

QAction* CommandTable::action(CommandId id) const { return find(id)->action; }

void CommandTable::execute(Command& c) {
    c.update();
    if (c.runnable()) ReportErrors(m_window, c.row.execute);
}

bool CommandTable::runCommand(CommandId id) {
    Command* c = find(id);
    c->update();
    if (!c->runnable()) return false;
    execute(*c);
    return true;
}

void CommandTable::updateCommands() {
    for (const auto& c : m_commands) c->update();
}

QAction* CommandTable::addToMenu(QMenu* menu, CommandId id) {
    Command* c = find(id);
    c->action->setText(MenuText(tr(c->row.caption), c->row.key));
    menu->addAction(c->action);
    bindKey(QString::fromLatin1(c->row.key), c);
    return c->action;
}

QAction* CommandTable::addAlias(QMenu* menu, CommandId id, const QString& caption) {
    return addOwnItem(menu, id, caption, [this, id] { runCommand(id); });
}

QAction* CommandTable::addOwnItem(QMenu* menu, CommandId like, const QString& caption,
                                  std::function<void()> run) {
    Command* c = find(like);
    QAction* item = menu->addAction(caption);
    connect(menu, &QMenu::aboutToShow, item, [c, item] {
        c->update();
        item->setEnabled(c->action->isEnabled());
    });
    connect(item, &QAction::triggered, this, [this, run = std::move(run)] { ReportErrors(m_window, run); });
    return item;
}

void CommandTable::bindMenuKey(const QString& key, CommandId id) { bindKey(key, find(id)); }

void CommandTable::bindKey(const QString& key, Command* c) {
    const QKeySequence seq(key, QKeySequence::PortableText);
    if (seq.isEmpty()) return;
    m_keys.push_back({seq[0].toCombined(), c});
}

void CommandTable::claimKey(QKeyEvent* e) const {
    const int combined = Combined(e);
    if (combined == Qt::Key_Escape) {
        e->accept();  // the press then reaches the focused control
        return;
    }
    for (const KeyBinding& k : m_keys)
        if (k.key == combined) {
            e->accept();
            return;
        }
}

bool CommandTable::dispatchKey(QKeyEvent* e) {
    const int combined = Combined(e);
    for (const KeyBinding& k : m_keys) {
        if (k.key != combined) continue;
        k.command->update();
        if (k.command->runnable()) execute(*k.command);
        return true;
    }
    return false;
}

}  // namespace oruvan

#pragma once
// The window's commands: one QAction each, built once, refreshed by its update and run by its execute,
// and the keys that reach them before any control sees a key.
#include <QAction>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "widgets/Pictures.h"

class QKeyEvent;
class QMenu;
class QWidget;

namespace oruvan {

// By menu, in menu order.
enum class CommandId {
    New, Open, Reopen, Save, SaveAs, DocumentInfo, Exit,                             // File
    Undo, Redo, Cut, Copy, Paste, Delete, SelectAll, Find, Replace, FindNext,        // Edit
    FindPrevious, GoToLine, OpenFolder, SectionUp, SectionDown, PromoteSection,      //
    DemoteSection,                                                                   //
    Settings, Font, BackColour, TextColour, WordWrap, HeadingLevels, SaveEncoding,   // Settings
    LineBreak,                                                                       //
    FilterHeadings,                                                                  // Index
    PreviousHeading, NextHeading, ShowList, Refresh, FoldSections, FoldSection,      // View
    UnfoldSection, FoldAll, UnfoldAll, ShowLevel1, ShowLevel2, ShowLevel3,           //
    ShowLevel4,                                                                      //
    About, Help,                                                                     // Help
};

struct CommandRow {
    CommandId id;
    const char* name;     // the action's objectName
    const char* caption;  // UTF-8, with its access key; marked for translation, translated when shown
    const char* key;      // portable text; "" for none
    std::optional<PictureId> picture;
    // None: the command only holds the state of its submenu, whose items act.
    std::function<void()> execute;
    // None: always enabled (given an execute).
    std::function<void(QAction*)> update;
    bool checkable = false;
};

class CommandTable : public QObject {
    Q_OBJECT
public:
    // Errors of the commands show in boxes over window, which also owns the actions.
    explicit CommandTable(QWidget* window);
    ~CommandTable() override;

    void add(CommandRow row);
    QAction* action(CommandId id) const;
    // Runs a command as its key or menu item would: refresh, then execute when enabled. False when it
    // did not run.
    bool runCommand(CommandId id);
    // Runs every command's update (idle time and menu opening).
    void updateCommands();

    // Puts the command's action in menu, showing its caption and key, and makes its key a menu key.
    QAction* addToMenu(QMenu* menu, CommandId id);
    // An item of another menu running the command under its own caption, enabled as the command is
    // when that menu opens.
    QAction* addAlias(QMenu* menu, CommandId id, const QString& caption);
    // An item with its own behaviour, enabled as the command like is when the menu opens.
    QAction* addOwnItem(QMenu* menu, CommandId like, const QString& caption, std::function<void()> run);
    // One more key for a command in a menu.
    void bindMenuKey(const QString& key, CommandId id);

    // The shortcut-override pass: claims a key the table routes, so that no shortcut of a control takes
    // it and the press comes to dispatchKey; and Esc, whose press then goes to the focused control.
    void claimKey(QKeyEvent* e) const;
    // Runs the command of a menu key. A disabled or hidden item's key is used up all the same; true when
    // the key belongs to a command.
    bool dispatchKey(QKeyEvent* e);

private:
    struct Command;
    Command* find(CommandId id) const;
    void execute(Command& c);
    void bindKey(const QString& key, Command* c);

    QWidget* m_window;
    std::vector<std::unique_ptr<Command>> m_commands;
    struct KeyBinding {
        int key;
        Command* command;
    };
    std::vector<KeyBinding> m_keys;
};

}  // namespace oruvan

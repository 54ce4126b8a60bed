#pragma once
// The window's menus, built from the command table: the menu bar with the reopen, encoding and break
// submenus, and the text view's own menu. Also the menus' access keys for a key no shortcut took.
#include <QObject>
#include <functional>
#include <optional>

#include "platform/TextEncoding.h"

class QKeyEvent;
class QMainWindow;
class QMenu;
class QWidget;

namespace oruvan {

class CommandTable;
class FindBar;
class TextView;

// What the format submenus' items do.
struct FormatHandlers {
    std::function<void(std::optional<Encoding>)> reopen;  // none: as detected
    std::function<void(Encoding)> saveEncoding;
    std::function<void(LineBreak)> lineBreak;
};

class MainMenus : public QObject {
    Q_OBJECT
public:
    // The Index menu is the index's own; it is placed in the menu bar under its filter command.
    MainMenus(QMainWindow* window, CommandTable& commands, TextView* view, FindBar* findBar, QMenu* indexMenu,
              FormatHandlers format);

    QMenu* fileMenu() const { return m_file; }
    QMenu* indexMenu() const { return m_index; }
    QMenu* textViewMenu() const { return m_textView; }

    // Alt and a letter that reached a control unclaimed (the shortcut pass that normally takes it may
    // not have been offered it, as with keys an input method hands back): an access key of the find
    // bar or of a menu, or nothing. True when the key is used.
    bool accessKey(QWidget* receiver, QKeyEvent* e);

private:
    void buildMenuBar(QMenu* indexMenu);
    void buildFormatMenus(const FormatHandlers& format);
    void buildTextViewMenu();

    QMainWindow* m_window;
    CommandTable& m_commands;
    TextView* m_view;
    FindBar* m_findBar;
    QMenu* m_file = nullptr;
    QMenu* m_index = nullptr;
    QMenu* m_textView = nullptr;
};

}  // namespace oruvan

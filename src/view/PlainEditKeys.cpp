// The keys the view answers to: those of a plain edit box, nothing more.
#include "view/PlainEditKeys.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>

namespace oruvan {

namespace {

constexpr int kShift = Qt::SHIFT;
constexpr int kCtrl = Qt::CTRL;
constexpr int kAlt = Qt::ALT;

// The edit-control keys a plain text box has; QScintilla's other bindings are dropped.
struct KeyBinding {
    QsciCommand::Command command;
    int key;
    int alternate;
};
const KeyBinding kKeyBindings[] = {
    {QsciCommand::LineDown, Qt::Key_Down, 0},
    {QsciCommand::LineDownExtend, Qt::Key_Down | kShift, 0},
    {QsciCommand::LineUp, Qt::Key_Up, 0},
    {QsciCommand::LineUpExtend, Qt::Key_Up | kShift, 0},
    {QsciCommand::CharLeft, Qt::Key_Left, 0},
    {QsciCommand::CharLeftExtend, Qt::Key_Left | kShift, 0},
    {QsciCommand::CharRight, Qt::Key_Right, 0},
    {QsciCommand::CharRightExtend, Qt::Key_Right | kShift, 0},
    {QsciCommand::WordLeft, Qt::Key_Left | kCtrl, 0},
    {QsciCommand::WordLeftExtend, Qt::Key_Left | kCtrl | kShift, 0},
    {QsciCommand::WordRight, Qt::Key_Right | kCtrl, 0},
    {QsciCommand::WordRightExtend, Qt::Key_Right | kCtrl | kShift, 0},
    {QsciCommand::HomeDisplay, Qt::Key_Home, 0},
    {QsciCommand::HomeDisplayExtend, Qt::Key_Home | kShift, 0},
    {QsciCommand::LineEndDisplay, Qt::Key_End, 0},
    {QsciCommand::LineEndDisplayExtend, Qt::Key_End | kShift, 0},
    {QsciCommand::DocumentStart, Qt::Key_Home | kCtrl, 0},
    {QsciCommand::DocumentStartExtend, Qt::Key_Home | kCtrl | kShift, 0},
    {QsciCommand::DocumentEnd, Qt::Key_End | kCtrl, 0},
    {QsciCommand::DocumentEndExtend, Qt::Key_End | kCtrl | kShift, 0},
    {QsciCommand::PageUp, Qt::Key_PageUp, 0},
    {QsciCommand::PageUpExtend, Qt::Key_PageUp | kShift, 0},
    {QsciCommand::PageDown, Qt::Key_PageDown, 0},
    {QsciCommand::PageDownExtend, Qt::Key_PageDown | kShift, 0},
    {QsciCommand::Delete, Qt::Key_Delete, 0},
    {QsciCommand::DeleteBack, Qt::Key_Backspace, Qt::Key_Backspace | kShift},
    {QsciCommand::DeleteWordLeft, Qt::Key_Backspace | kCtrl, 0},
    {QsciCommand::DeleteWordRight, Qt::Key_Delete | kCtrl, 0},
    {QsciCommand::Newline, Qt::Key_Return, Qt::Key_Enter},
    {QsciCommand::Tab, Qt::Key_Tab, 0},
    {QsciCommand::Cancel, Qt::Key_Escape, 0},
    {QsciCommand::EditToggleOvertype, Qt::Key_Insert, 0},
    {QsciCommand::SelectionCut, Qt::Key_X | kCtrl, Qt::Key_Delete | kShift},
    {QsciCommand::SelectionCopy, Qt::Key_C | kCtrl, Qt::Key_Insert | kCtrl},
    {QsciCommand::Paste, Qt::Key_V | kCtrl, Qt::Key_Insert | kShift},
    {QsciCommand::Undo, Qt::Key_Z | kCtrl, Qt::Key_Backspace | kAlt},
    {QsciCommand::SelectAll, Qt::Key_A | kCtrl, 0},
};

}  // namespace

void KeepPlainEditKeys(QsciCommandSet& commands) {
    for (QsciCommand* c : commands.commands()) {
        c->setKey(0);
        c->setAlternateKey(0);
    }
    for (const KeyBinding& b : kKeyBindings) {
        if (QsciCommand* c = commands.find(b.command)) {
            c->setKey(b.key);
            if (b.alternate) c->setAlternateKey(b.alternate);
        }
    }
}

}  // namespace oruvan

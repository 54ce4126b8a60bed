#pragma once
class QsciCommandSet;

namespace oruvan {

// Leaves the edit-control keys a plain text box has and drops the editing core's other bindings.
void KeepPlainEditKeys(QsciCommandSet& commands);

}  // namespace oruvan

#pragma once
// The outline tool's help, in the two languages the programs speak.
#include "platform/ProgramLanguage.h"

namespace oruvan {

const char* OutlineUsage(UiLanguage language);

}  // namespace oruvan

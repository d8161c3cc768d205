#pragma once
// The system clipboard's plain text (Qt's offscreen platform keeps one in the process).
#include "framework/core/Strings.h"

namespace qel::Bridge {

String ClipboardText();
void SetClipboardText(const String& Value);

}  // namespace qel::Bridge

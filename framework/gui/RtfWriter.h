#pragma once
// Writes lines of text as a minimal RTF document.
#include "framework/core/Types.h"

#include <vector>

namespace qel {

// A header with one font, then each UTF-8 line followed by \par. Characters outside ASCII go
// out as \uN with a cp1252 (or '?') stand-in; bytes that are not UTF-8 as \'hh.
String WriteRtf(const std::vector<String>& Lines, const String& FontName, int32_t FontSize);

}  // namespace qel

#pragma once
// Reads the text of an RTF document: its lines, without formatting.
#include "framework/core/Types.h"

#include <vector>

namespace qel {

// True when Data starts with "{\rtf".
bool IsRtf(const String& Data);

// The document's text as UTF-8 lines. \par, \line, \page, \sect and \row end a line; \tab and
// \cell give a tab; \'hh is a cp1252 character whatever \ansicpg says; \uN skips the \ucN
// characters after it. Tables of fonts, colours and styles, document info, pictures, footnotes,
// headers, footers, field instructions, \* destinations and hidden text (\v) are left out.
std::vector<String> ReadRtfLines(const String& Rtf);

// A code point as UTF-8; surrogates and values past U+10FFFF become U+FFFD.
String Utf8Of(uint32_t CodePoint);

// The cp1252 byte's character.
uint32_t Cp1252ToUnicode(uint8_t Byte);

}  // namespace qel

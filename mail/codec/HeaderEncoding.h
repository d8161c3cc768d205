#pragma once
// Header text of outgoing mail. Non-ASCII text becomes RFC 2047 encoded words (B encoding,
// charset UTF-8, or ISO-8859-1 for text that is not valid UTF-8); attachment names get the
// parameter forms common readers decode; a header field is folded to the line lengths RFC 5322
// allows. Text that is all ASCII comes back exactly as given (and a field that fits a line is not
// folded), so messages without non-ASCII text stay byte for byte what they were.
//
// The one exception: ASCII holding a run without blanks too long for any line (HardLineLimit)
// is encoded like non-ASCII text, because it could not be folded otherwise.
#include "framework/core/Types.h"

#include <cstddef>
#include <vector>

namespace qel {

constexpr size_t SoftLineLimit = 78;        // a header line, where it can be broken
constexpr size_t HardLineLimit = 998;       // a header line, always (CR LF not counted)
constexpr size_t EncodedLineLimit = 76;     // a line holding an encoded word
constexpr size_t EncodedWordLimit = 75;     // one encoded word

// --- Encoding. Encoded words are separated by one blank, so that FoldHeaderLine can put each on
// a line of its own; FirstLineUsed is what precedes the text on its line ("Subject: " is 9), so
// the first word is made short enough to share that line.

// Unstructured text (Subject).
String EncodeHeaderText(const String& Text, size_t FirstLineUsed = 0);

// The phrase before " <address>": an ASCII name in double quotes, as it always was written
// (nothing inside is escaped), otherwise encoded words, never in quotes.
String EncodeDisplayName(const String& Name, size_t FirstLineUsed = 0);

// Attachment names, one form per header, as most writers do and every common reader decodes:
// EncodeNameParameter for Content-Type (name="=?UTF-8?B?...?=", RFC 2047 words inside the
// quotes) and EncodeExtendedParameter for Content-Disposition (filename*=UTF-8''%E2%82%AC.txt,
// RFC 2231, continued as filename*0*=...; filename*1*=... when it would not fit one line). Both
// return "Attribute=..." for after "; ", and Attribute="Value" for ASCII values.
String EncodeNameParameter(const String& Attribute, const String& Value);
String EncodeExtendedParameter(const String& Attribute, const String& Value);

// --- Folding. A field ("Name: value") of at most SoftLineLimit characters comes back as its one
// line. A longer one is broken before blanks into lines of at most SoftLineLimit characters
// (EncodedLineLimit for a line holding an encoded word) where the blanks allow; each
// continuation line starts with the blank it was broken at, so joining the lines gives the field
// back. A run without blanks that no line can hold is cut at HardLineLimit, each cut adding a
// blank: the message stays valid, the value gains blanks.

std::vector<String> FoldHeaderLine(const String& Line);

// A field holding a list of addresses separated by commas (quotes, angle brackets and comments
// respected): it is broken after the commas, a line starting with the next address; a blank is
// added where none follows the comma ("TO: <a>,<b>"). An address too long for a line of its own is
// broken at its blanks as FoldHeaderLine does.
std::vector<String> FoldAddressList(const String& Line);

}  // namespace qel

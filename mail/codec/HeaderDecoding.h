#pragma once
// Header text of received mail made readable: RFC 2047 encoded words and RFC 2231 parameter
// values turned into UTF-8, and text from a server made safe to print on a terminal. None of
// these throws on malformed input; what cannot be decoded stays as it was.
#include "framework/core/Types.h"
#include "mail/MailExport.h"

namespace qel {

// A header field's value (unfolded here if it still holds its line breaks) with every encoded
// word ("=?charset?B?...?=" or "=?charset?Q?...?=", letters in any case) decoded to UTF-8; blanks
// between two adjacent encoded words go. A word that is malformed, or names a charset Qt cannot
// convert, stays as written, and so does every byte outside encoded words.
QEL_MAIL_EXPORT String DecodeHeaderText(const String& Raw);

// The parameter Name (letter case ignored) of a header value such as a Content-Disposition's
// 'attachment; filename*=UTF-8''%E2%82%AC.txt', in UTF-8. RFC 2231 forms win (name*=, and the
// sections name*0=, name*1*=, ... joined in order); otherwise the plain name= value, unquoted,
// with any encoded words in it decoded. Empty when the header has no such parameter.
QEL_MAIL_EXPORT String DecodeParameterValue(const String& HeaderValue, const String& Name);

// Text with every ASCII control character and DEL shown as an escape (\0, \t, \n, \r, \x1b, \x7f),
// so that text a server sent never drives the terminal it is printed on. Other bytes stay.
QEL_MAIL_EXPORT String EscapeControlCharacters(const String& Text);

}  // namespace qel

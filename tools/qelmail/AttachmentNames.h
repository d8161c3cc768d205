#pragma once
// The names the fetch command lists and saves attachments under: decoded as the sender wrote them
// (RFC 2231, RFC 2047), then made safe to use as a file name inside the save folder.
#include "mail/QELTIEmails.h"

namespace qelmail_tool {
using namespace qel;

// The name as the sender meant it, in UTF-8. From the header of its MIME part (OnPartHeader): the
// filename, else the name parameter; a part without either is named after the subject, as the
// component names it. Without a part header (a UU block) the attachment's FileName.
String DecodedAttachmentName(const TQELAttachment& Attachment, const String& PartHeader, const String& Subject);

// Name as a file name inside a folder: path separators and control characters (NUL among them)
// become "_"; ".", ".." and a name left empty become "attachment-Index"; a name too long for a
// file system is shortened, its extension kept.
String SafeFileName(const String& Name, int Index);

// A path in Dir that names nothing yet: Dir/Name, then "name-1.ext", "name-2.ext", ...; empty when
// thousands are taken.
String FreeFileName(const String& Dir, const String& Name);

}  // namespace qelmail_tool

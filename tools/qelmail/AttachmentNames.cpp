#include "AttachmentNames.h"

#include "framework/core/SysUtils.h"

#include <sys/stat.h>
#include <vector>

namespace qelmail_tool {

namespace {

// Room for "-9999" and a file system's 255 bytes of a name.
constexpr size_t MaxNameBytes = 200;
constexpr int MaxCandidates = 10000;

bool IsFieldNamed(const String& Field, const String& Name)
{
    return Field.size() > Name.size() && Field[Name.size()] == ':' && LowerCase(Field.substr(0, Name.size())) == Name;
}

// The values of the part's Content-Disposition and Content-Type, folded lines joined, as one list
// of parameters for DecodeParameterValue (the disposition's first: its filename wins).
String NameParameters(const String& Header)
{
    std::vector<String> fields;
    size_t at = 0;
    while (at < Header.size()) {
        size_t end = Header.find("\r\n", at);
        if (end == String::npos) end = Header.size();
        const String line = Header.substr(at, end - at);
        if (!fields.empty() && !line.empty() && (line[0] == ' ' || line[0] == '\t'))
            fields.back() += line;
        else
            fields.push_back(line);
        at = end + 2;
    }
    String disposition, type;
    for (const String& field : fields) {
        if (IsFieldNamed(field, "content-disposition")) disposition = field.substr(20);
        if (IsFieldNamed(field, "content-type")) type = field.substr(13);
    }
    return disposition + ";" + type;
}

bool EndsWith(const String& Text, const String& Tail)
{
    return Text.size() >= Tail.size() && Text.compare(Text.size() - Tail.size(), Tail.size(), Tail) == 0;
}

// The first Bytes bytes of Text, not cutting a UTF-8 character in two.
String CutUtf8(const String& Text, size_t Bytes)
{
    if (Text.size() <= Bytes) return Text;
    while (Bytes > 0 && (static_cast<uint8_t>(Text[Bytes]) & 0xC0) == 0x80) --Bytes;
    return Text.substr(0, Bytes);
}

bool Exists(const String& Path)
{
    struct stat st {};
    return ::lstat(Path.c_str(), &st) == 0;
}

}  // namespace

String DecodedAttachmentName(const TQELAttachment& Attachment, const String& PartHeader, const String& Subject)
{
    if (PartHeader.empty()) return Attachment.FileName;
    const String parameters = NameParameters(PartHeader);
    String name = DecodeParameterValue(parameters, "filename");
    if (name.empty()) name = DecodeParameterValue(parameters, "name");
    if (!name.empty()) return name;
    const String subject = Trim(Subject), decoded = DecodeHeaderText(subject);
    // The component named the part after the raw subject (and added ".html" for HTML).
    if (subject.empty() || decoded == subject) return Attachment.FileName;
    return EndsWith(Attachment.FileName, ".html") ? decoded + ".html" : decoded;
}

String SafeFileName(const String& Name, int Index)
{
    String safe;
    for (const char c : Name) {
        const auto b = static_cast<uint8_t>(c);
        safe += (c == '/' || c == '\\' || b < 0x20 || b == 0x7F) ? '_' : c;
    }
    safe = Trim(safe);
    if (safe.empty() || safe == "." || safe == "..") return "attachment-" + std::to_string(Index);
    if (safe.size() <= MaxNameBytes) return safe;
    String ext = ExtractFileExt(safe);
    if (ext.size() > 20) ext.clear();
    return CutUtf8(safe.substr(0, safe.size() - ext.size()), MaxNameBytes - ext.size()) + ext;
}

String FreeFileName(const String& Dir, const String& Name)
{
    const String base = IncludeTrailingPathDelimiter(Dir);
    const String ext = ExtractFileExt(Name);
    const String stem = Name.substr(0, Name.size() - ext.size());
    String candidate = base + Name;
    for (int i = 1; Exists(candidate); ++i) {
        if (i >= MaxCandidates) return {};
        candidate = base + stem + "-" + std::to_string(i) + ext;
    }
    return candidate;
}

}  // namespace qelmail_tool

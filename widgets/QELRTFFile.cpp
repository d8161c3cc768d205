#include "widgets/QELRTFFile.h"

#include <array>
#include <vector>

namespace qel {

namespace {

// Fonts 0, 1 and 2 are what AddFont numbers refer to.
constexpr std::array<const char*, 6> HeaderLines{
    "{\\rtf1\\ansi \\deff0\\deflang1024",
    "{\\fonttbl",
    "{\\f0\\fswiss Arial;}",
    "{\\f1\\fmodern Courier New;}",
    "{\\f2\\fswiss MS Sans Serif;}",
    "}",
};

}  // namespace

TQELRTFFile::TQELRTFFile(TComponent* AOwner) : TComponent(AOwner), FText(std::make_unique<TStringList>()) {}

TQELRTFFile::~TQELRTFFile() = default;

String TQELRTFFile::AddBold(bool On) { return On ? "\\b" : "\\b0"; }

String TQELRTFFile::AddFont(int32_t FontNo, int32_t Size)
{
    return "\\f" + std::to_string(FontNo) + "\\fs" + std::to_string(Size) + " ";
}

String TQELRTFFile::AddColor(bool On) { return On ? "\\par \\tx400\\tx2400\\tx4400\\tx6400\\tx8400" : "\\plain "; }

String TQELRTFFile::AddTab() { return "\\tab "; }

String TQELRTFFile::AddEnter() { return "\\par "; }

String TQELRTFFile::NewPage() { return "\\par \\page "; }

String TQELRTFFile::AddPlain() { return "\\plain "; }

String TQELRTFFile::AddHidden(const String& S) { return "{\\v " + S + "}"; }

String TQELRTFFile::AddUnder(const String& S) { return "{\\ul " + S + "}"; }

String TQELRTFFile::AddDUnder(const String& S) { return "{\\uldb " + S + "}"; }

// The mark's superscript group stays open around the footnote group; the final "}}" closes both.
String TQELRTFFile::AddFootnote(const String& Mark, const String& Note)
{
    return "{\\fs16\\up6 " + Mark + "{\\footnote \\pard\\plain \\s245 \\fs20 {\\fs16\\up6 " + Mark + "} " + Note + "}}";
}

String TQELRTFFile::AddKeepNext(bool On) { return On ? "\\pard\\keepn" : "\\par\\pard "; }

String TQELRTFFile::GetEnd() { return "}"; }

void TQELRTFFile::GetBegin(TStrings* Strings) const
{
    // A copy first: Strings may be Text itself, which must not grow while it is read.
    const std::vector<String> body = FText->ToVector();
    for (const char* line : HeaderLines) Strings->Add(line);
    Strings->AddStrings(body);
}

bool TQELRTFFile::Execute()
{
    if (Filename.empty()) return true;
    TStringList file;
    file.LineBreak = "\r\n";
    GetBegin(&file);
    file.Add(GetEnd());
    file.SaveToFile(Filename + ".rtf");
    return true;
}

QEL_REGISTER_CLASS(TQELRTFFile);

}  // namespace qel

// Rich edits: RTF read and written, plain text kept byte for byte, printing.
#include "framework/gui/ComCtrls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Printers.h"
#include "framework/gui/RtfReader.h"
#include "framework/gui/RtfWriter.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

using namespace qel;

namespace {

using Lines = std::vector<String>;

String ReadBytes(const String& Path)
{
    std::ifstream in(Path, std::ios::binary);
    return String(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>{});
}

QString RunTool(const QString& Tool, const QStringList& Args)
{
    QProcess p;
    p.start(Tool, Args);
    EXPECT_TRUE(p.waitForFinished(30000));
    return QString::fromUtf8(p.readAllStandardOutput());
}

struct RichFixture : ::testing::Test {
    QTemporaryDir Dir;
    TForm Form{nullptr};
    TRichEdit* Rich = new TRichEdit(&Form);
    String Path(const char* Name) const { return QDir(Dir.path()).filePath(Name).toStdString(); }
    String Write(const char* Name, const String& Bytes) const
    {
        std::ofstream(Path(Name), std::ios::binary) << Bytes;
        return Path(Name);
    }
    Lines Shown() const
    {
        Lines out;
        for (int i = 0; i < Rich->Lines()->Count(); ++i) out.push_back(Rich->Lines()->Get(i));
        return out;
    }
};

}  // namespace

TEST(RtfReader, HeaderGroupsDestinationsAndHiddenTextAreLeftOut)
{
    const String rtf =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}"
        "{\\stylesheet{\\s0 Normal;}}{\\info{\\title Secret}{\\author Me}}{\\*\\generator Writer;}"
        "\\pard\\plain First {\\b bold}\\par\n"
        "Shown{\\v hidden}\\v also hidden\\v0  again{\\*\\bkmkstart x}\\par "
        "Pic{\\pict\\pngblip 89504e47}ture{\\footnote\\ftnalt note text}\\page "
        "{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link}}}";
    EXPECT_EQ((Lines{"First bold", "Shown again", "Picture", "link"}), ReadRtfLines(rtf));
}

TEST(RtfReader, EscapesCodePageAndUnicodeCharacters)
{
    const String rtf =
        "{\\rtf1\\ansi\\ansicpg1252 a\\tab b\\line caf\\'e9 \\'80\\'96\\par"
        "\\{x\\}\\\\y\\~z\\par"
        "\\u8364?{\\uc2\\u8364\\'80\\'80}!{\\uc0\\u955}\\u955?\\par"
        "\\u-10179?\\u-8704?\\par"   // U+1F600 as a surrogate pair
        "\\ldblquote q\\rdblquote \\emdash\\par}";
    EXPECT_EQ((Lines{"a\tb", "caf\xC3\xA9 \xE2\x82\xAC\xE2\x80\x93", "{x}\\y\xC2\xA0z",
                     "\xE2\x82\xAC\xE2\x82\xAC!\xCE\xBB\xCE\xBB", "\xF0\x9F\x98\x80",
                     "\xE2\x80\x9Cq\xE2\x80\x9D\xE2\x80\x94"}),
              ReadRtfLines(rtf));
}

TEST(RtfReader, ToleratesBrokenInputAndKeepsTheLastLine)
{
    EXPECT_EQ((Lines{"open", "tail"}), ReadRtfLines("{\\rtf1 open\\par tail"));
    EXPECT_EQ((Lines{"x"}), ReadRtfLines("{\\rtf1 x}} trailing\\par more"));
    EXPECT_EQ((Lines{"azzb"}), ReadRtfLines("{\\rtf1 a\\'zzb\\"));  // no hex: shown as it stands
    EXPECT_EQ((Lines{"ab"}), ReadRtfLines("{\\rtf1 a{\\*\\unknown {deep} text}b\\bin3 {{{}"));
    EXPECT_TRUE(IsRtf("{\\rtf1}"));
    EXPECT_FALSE(IsRtf(" {\\rtf1}"));
}

TEST(RtfWriter, WhatIsWrittenReadsBackLineForLine)
{
    const Lines lines = {"plain", "", "  leading spaces", "tab\there", "{braces} and \\back\\slash",
                         "caf\xC3\xA9 \xE2\x82\xAC 100", "\xE6\xBC\xA2\xE5\xAD\x97 \xF0\x9F\x98\x80", "1\\par 2"};
    const String rtf = WriteRtf(lines, "Courier New", 10);
    EXPECT_TRUE(IsRtf(rtf));
    EXPECT_NE(String::npos, rtf.find("\\fs20 "));
    EXPECT_NE(String::npos, rtf.find("Courier New;"));
    EXPECT_EQ(lines, ReadRtfLines(rtf));
    // A byte that is no UTF-8 goes out as a code-page character.
    EXPECT_EQ((Lines{"x\xC3\xA9"}), ReadRtfLines(WriteRtf({"x\xE9"}, "Arial", 8)));
}

TEST_F(RichFixture, AnRtfFileShowsItsTextUnlessPlainText)
{
    const String rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}Hello {\\b world}\\par caf\\'e9\\par}";
    const String file = Write("doc.rtf", rtf);
    Rich->Lines()->LoadFromFile(file);
    EXPECT_EQ((Lines{"Hello world", "caf\xC3\xA9"}), Shown());
    Rich->SetPlainText(true);
    Rich->Lines()->LoadFromFile(file);
    EXPECT_EQ(rtf, Rich->Text());
}

TEST_F(RichFixture, AFileThatIsNoRtfIsReadAsPlainText)
{
    const String text = "{not rtf}\r\nsecond\r\n";
    Rich->Lines()->LoadFromFile(Write("t.txt", text));
    EXPECT_EQ(text, Rich->Text());
    EXPECT_EQ((Lines{"{not rtf}", "second"}), Shown());
}

TEST_F(RichFixture, SavingWritesRtfThatLoadsBackAndPlainTextStaysBytes)
{
    Rich->Font()->SetName("Courier New");
    Rich->Lines()->SetText("one {1}\r\n\ttwo \xE2\x82\xAC\r\n");
    const String out = Path("out.rtf");
    Rich->Lines()->SaveToFile(out);
    const String written = ReadBytes(out);
    EXPECT_TRUE(IsRtf(written));
    EXPECT_EQ((Lines{"one {1}", "\ttwo \xE2\x82\xAC"}), ReadRtfLines(written));
    TRichEdit other(&Form);
    other.Lines()->LoadFromFile(out);
    EXPECT_EQ(Shown(), (Lines{other.Lines()->Get(0), other.Lines()->Get(1)}));

    Rich->SetPlainText(true);
    Rich->Lines()->SaveToFile(out);
    EXPECT_EQ(Rich->Text(), ReadBytes(out));
}

TEST_F(RichFixture, PandocReadsWhatIsSaved)
{
    if (QStandardPaths::findExecutable("pandoc").isEmpty()) GTEST_SKIP() << "pandoc missing";
    Rich->Lines()->SetText("First line\nSecond caf\xC3\xA9 {x}\n");
    Rich->Lines()->SaveToFile(Path("p.rtf"));
    const QString plain = RunTool("pandoc", {"-f", "rtf", "-t", "plain", QString::fromStdString(Path("p.rtf"))});
    EXPECT_TRUE(plain.contains("First line"));
    EXPECT_TRUE(plain.contains(QString::fromUtf8("Second caf\xC3\xA9 {x}")));
}

TEST_F(RichFixture, PrintWrapsLongLinesAndFillsPages)
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) GTEST_SKIP() << "poppler-utils missing";
    const String pdf = Path("print.pdf");
    Printer().SetPrinterIndex(-1);
    Printer().SetOutputFileName(pdf);
    Rich->Font()->SetName("Courier New");
    Rich->Font()->SetSize(12);
    String text, longLine;
    for (int i = 1; i <= 40; ++i) longLine += "word" + std::to_string(i) + " ";
    text += longLine + "\n";
    for (int i = 1; i <= 120; ++i) text += "Line " + std::to_string(i) + "\n";
    Rich->Lines()->SetText(text);
    Rich->Print("Rich print");
    Printer().SetOutputFileName({});
    EXPECT_EQ("Rich print", Printer().Title());
    EXPECT_FALSE(Printer().Printing());

    const QStringList out = RunTool("pdftotext", {"-layout", QString::fromStdString(pdf), "-"}).split(u'\n');
    QStringList words, lines;
    int wordLines = 0;
    for (const QString& l : out) {
        if (l.trimmed().startsWith("word")) {
            ++wordLines;
            words << l.split(u' ', Qt::SkipEmptyParts);
        }
        if (l.trimmed().startsWith("Line ")) lines << l.trimmed();
    }
    EXPECT_GT(wordLines, 1);  // the long line wrapped
    ASSERT_EQ(40, words.size());
    EXPECT_EQ("word1", words.first());
    EXPECT_EQ("word40", words.last());
    ASSERT_EQ(120, lines.size());
    EXPECT_EQ("Line 120", lines.last());
    const QString info = RunTool("pdfinfo", {QString::fromStdString(pdf)});
    EXPECT_FALSE(info.contains(QRegularExpression("Pages:\\s+1\\n")));
}

// Rich edits: RTF read and written, plain text kept byte for byte, printing, and editing as a memo.
#include "framework/core/FormFiles.h"
#include "framework/gui/ComCtrls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/PaintedScrollBar.h"
#include "framework/gui/Printers.h"
#include "framework/gui/RtfReader.h"
#include "framework/gui/RtfWriter.h"
#include "framework/gui/qt/WidgetBridge.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <fstream>
#include <iterator>
#include <memory>

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

// ---------------------------------------------------------------- editing as a memo

namespace {

class RichEditing : public ::testing::Test {
protected:
    RichEditing() : Form(new TForm(nullptr)), Rich(new TRichEdit(Form))
    {
        TCustomEdit::SetCaretBlinkTime(0);  // the caret stays drawn: pixels are stable
        Form->SetName("Form1");
        Form->SetBounds(30, 30, 420, 320);
        Rich->SetName("RichEdit1");
        Rich->SetParent(Form);
        Rich->SetBounds(10, 10, 220, 140);
        Rich->OnChange = [this](TObject*) { ++Changes; };
    }
    ~RichEditing() override
    {
        delete Form;
        TCustomEdit::SetCaretBlinkTime(530);
    }
    QWidget* W() const { return Rich->Handle()->ClientWidget(); }
    void Key(Qt::Key K, Qt::KeyboardModifiers M = Qt::NoModifier) const { QTest::keyClick(W(), K, M); }
    void Type(const char* S) const { QTest::keyClicks(W(), S); }
    QRgb At(int X, int Y) const { return Rich->RetainedImage().pixel(X, Y) | 0xFF000000u; }
    int CountColor(const TRect& R, TColor Color) const
    {
        int n = 0;
        for (int y = R.Top; y < R.Bottom; ++y)
            for (int x = R.Left; x < R.Right; ++x) n += At(x, y) == ToQRgb(Color);
        return n;
    }
    Lines Shown() const
    {
        Lines out;
        for (int i = 0; i < Rich->Lines()->Count(); ++i) out.push_back(Rich->Lines()->Get(i));
        return out;
    }

    QTemporaryDir Dir;
    TForm* Form;
    TRichEdit* Rich;
    int Changes = 0;
};

}  // namespace

TEST_F(RichEditing, TypedKeysAndReturnsBecomeItsLinesAndUndoTakesThemBack)
{
    Type("Hello");
    Key(Qt::Key_Return);
    Type("world");
    EXPECT_EQ("Hello\nworld", Rich->Text());
    EXPECT_EQ((Lines{"Hello", "world"}), Shown());
    EXPECT_EQ(11, Changes);  // one a key
    EXPECT_EQ((TPoint{5, 1}), Rich->CaretPos());
    Key(Qt::Key_Backspace);
    EXPECT_EQ("Hello\nworl", Rich->Text());
    Rich->Undo();
    EXPECT_EQ("Hello\nworld", Rich->Text());
    // Lines set through the string list place the caret at the start, ready for typing; new
    // lines keep the text's CR LF, so a plain-text file is saved with one convention.
    Rich->Lines()->SetText("one\r\ntwo\r\n");
    Type(">");
    Key(Qt::Key_Return);
    EXPECT_EQ(">\r\none\r\ntwo\r\n", Rich->Text());
    QGuiApplication::clipboard()->setText("a\nb\r\nc");
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(">\r\na\r\nb\r\ncone\r\ntwo\r\n", Rich->Text());
    EXPECT_EQ((Lines{">", "a", "b", "cone", "two"}), Shown());
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(">\r\na\r\nbone\r\ntwo\r\n", Rich->Text());  // a CR LF goes as one
    Rich->SetWantReturns(false);
    Key(Qt::Key_Return);
    EXPECT_EQ(">\r\na\r\nbone\r\ntwo\r\n", Rich->Text());
}

TEST_F(RichEditing, SelectionCopiesAndPastesThroughTheClipboard)
{
    Rich->SetText("alpha beta\ngamma");
    Key(Qt::Key_Right, Qt::ControlModifier);
    Key(Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ("beta", Rich->SelText());
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ("beta", QGuiApplication::clipboard()->text().toStdString());
    Key(Qt::Key_End, Qt::ControlModifier);
    Changes = 0;
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ("alpha beta\ngammabeta", Rich->Text());
    EXPECT_EQ(1, Changes);
    Rich->SelectAll();
    Rich->CutToClipboard();
    EXPECT_EQ("", Rich->Text());
    EXPECT_EQ(0, Rich->Lines()->Count());
    Rich->PasteFromClipboard();
    EXPECT_EQ((Lines{"alpha beta", "gammabeta"}), Shown());
}

TEST_F(RichEditing, ReadOnlyRefusesEditsButStillCopies)
{
    Rich->SetText("fixed text");
    Rich->SetReadOnly(true);
    QGuiApplication::clipboard()->setText("pasted");
    Changes = 0;
    Type("x");
    Key(Qt::Key_Return);
    Key(Qt::Key_Delete);
    Key(Qt::Key_V, Qt::ControlModifier);
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("\xC3\xA9"));
    QCoreApplication::sendEvent(W(), &commit);
    Rich->SelectAll();
    Rich->CutToClipboard();
    Rich->ClearSelection();
    Rich->Undo();
    EXPECT_EQ("fixed text", Rich->Text());
    EXPECT_EQ(0, Changes);
    EXPECT_EQ("pasted", QGuiApplication::clipboard()->text().toStdString());  // a refused cut copies nothing
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ("fixed text", QGuiApplication::clipboard()->text().toStdString());
}

TEST_F(RichEditing, BothScrollBarsAreDrawnAndTheWheelScrollsTwoHundredLines)
{
    String text;
    for (int i = 0; i < 200; ++i) text += "line " + std::to_string(i) + "\r\n";
    Rich->Lines()->SetText(text);
    Rich->SetScrollBars(ssBoth);
    Rich->Update();
    const TPaintedScrollBar v = Rich->VertScrollBar(), h = Rich->HorzScrollBar();
    ASSERT_EQ(TRect({Rich->ClientWidth() - 18, 2, Rich->ClientWidth() - 2, Rich->ClientHeight() - 18}), v.Bounds);
    ASSERT_EQ(TRect({2, Rich->ClientHeight() - 18, Rich->ClientWidth() - 18, Rich->ClientHeight() - 2}), h.Bounds);
    EXPECT_GT(CountColor(TRect{v.Bounds.Left, 2, v.Bounds.Right, 18}, clBtnText), 6);  // up arrow
    EXPECT_GT(CountColor(TRect{2, h.Bounds.Top, 18, h.Bounds.Bottom}, clBtnText), 6);  // left arrow
    EXPECT_EQ(ToQRgb(clBtnFace), At(v.Bounds.Left + 8, v.ThumbRect().Top + 3));
    EXPECT_EQ(TPaintedScrollBar::MinThumb, v.ThumbRect().Bottom - v.ThumbRect().Top);

    QWheelEvent wheel(QPointF(50, 30), W()->mapToGlobal(QPointF(50, 30)), QPoint(), QPoint(0, -240), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(W(), &wheel);
    EXPECT_EQ(6, Rich->TopLine());  // two notches of three lines
    EXPECT_EQ(0, Rich->SelStart());
    Key(Qt::Key_End, Qt::ControlModifier);  // after the last break: the empty line 200
    EXPECT_EQ(201 - Rich->VisibleLineCount(), Rich->TopLine());
    Rich->Update();
    EXPECT_GT(Rich->VertScrollBar().ThumbRect().Top, v.ThumbRect().Top);
}

TEST_F(RichEditing, AnRtfFileLoadedAndEditedIsSavedAsPlainText)
{
    const String path = QDir(Dir.path()).filePath("doc.rtf").toStdString();
    std::ofstream(path, std::ios::binary) << "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}Hello {\\b world}\\par caf\\'e9\\par}";
    Rich->Lines()->LoadFromFile(path);
    EXPECT_EQ((Lines{"Hello world", "caf\xC3\xA9"}), Shown());
    Key(Qt::Key_End);
    Type("!");
    Key(Qt::Key_End, Qt::ControlModifier);
    Type("last");
    Rich->SetPlainText(true);
    const String out = QDir(Dir.path()).filePath("doc.txt").toStdString();
    Rich->Lines()->SaveToFile(out);
    EXPECT_EQ("Hello world!\ncaf\xC3\xA9\nlast", ReadBytes(out));
    TRichEdit back(Form);
    back.SetPlainText(true);
    back.Lines()->LoadFromFile(out);
    EXPECT_EQ(Rich->Text(), back.Text());
}

TEST_F(RichEditing, AFormFileStoresOnlyWhatDiffersAndReadsItBack)
{
    Rich->SetHideSelection(false);
    Rich->SetPlainText(true);
    Rich->SetScrollBars(ssBoth);
    Rich->SetWantTabs(true);
    const String plain = ComponentToText(Form);
    EXPECT_EQ(String::npos, plain.find("WantReturns"));  // the default is not written
    EXPECT_NE(String::npos, plain.find("\"ScrollBars\": \"ssBoth\""));
    EXPECT_EQ(String::npos, plain.find("\"Color\""));
    Rich->SetWantReturns(false);
    std::unique_ptr<TComponent> copy(TextToComponent(ComponentToText(Form)));
    auto* r = As<TRichEdit>(copy->FindComponent("RichEdit1"));
    EXPECT_FALSE(r->WantReturns());
    EXPECT_FALSE(r->HideSelection());
    EXPECT_EQ(ssBoth, r->ScrollBars());
    EXPECT_TRUE(r->WantTabs());
    EXPECT_EQ(ComponentToText(Form), ComponentToText(copy.get()));
}

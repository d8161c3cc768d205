// TQELRTFFile: the string builders, the bytes Execute writes, and the file as an independent RTF
// reader (pandoc) understands it.
#include "framework/core/Exceptions.h"
#include "framework/core/FormFiles.h"
#include "widgets/QELRTFFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace qel;

namespace {

const String Header =
    "{\\rtf1\\ansi \\deff0\\deflang1024\r\n"
    "{\\fonttbl\r\n"
    "{\\f0\\fswiss Arial;}\r\n"
    "{\\f1\\fmodern Courier New;}\r\n"
    "{\\f2\\fswiss MS Sans Serif;}\r\n"
    "}\r\n";

String ReadBytes(const QString& Path)
{
    QFile f(Path);
    if (!f.open(QIODevice::ReadOnly)) return "<missing>";
    return f.readAll().toStdString();
}

class RTFFile : public ::testing::Test {
protected:
    String Base(const char* Name) const { return Dir.filePath(Name).toStdString(); }
    QString Written(const char* Name) const { return Dir.filePath(QString(Name) + ".rtf"); }

    QTemporaryDir Dir;
    TQELRTFFile Rtf{nullptr};
};

}  // namespace

TEST(RTFFileBuilders, ReturnTheirFragmentsExactly)
{
    TQELRTFFile r(nullptr);
    EXPECT_EQ(r.AddText("a {b} \\c"), "a {b} \\c");
    EXPECT_EQ(r.AddBold(true), "\\b");
    EXPECT_EQ(r.AddBold(false), "\\b0");
    EXPECT_EQ(r.AddFont(1, 24), "\\f1\\fs24 ");
    EXPECT_EQ(r.AddFont(-3, 0), "\\f-3\\fs0 ");  // nothing is validated
    EXPECT_EQ(r.AddColor(true), "\\par \\tx400\\tx2400\\tx4400\\tx6400\\tx8400");
    EXPECT_EQ(r.AddColor(false), "\\plain ");
    EXPECT_EQ(r.AddTab(), "\\tab ");
    EXPECT_EQ(r.AddEnter(), "\\par ");
    EXPECT_EQ(r.NewPage(), "\\par \\page ");
    EXPECT_EQ(r.AddPlain(), "\\plain ");
    EXPECT_EQ(r.AddKeepNext(true), "\\pard\\keepn");
    EXPECT_EQ(r.AddKeepNext(false), "\\par\\pard ");
    EXPECT_EQ(r.GetEnd(), "}");

    EXPECT_EQ(r.AddHidden(""), "{\\v }");
    EXPECT_EQ(r.AddUnder(""), "{\\ul }");
    EXPECT_EQ(r.AddDUnder(""), "{\\uldb }");
    EXPECT_EQ(r.AddHidden("x}y"), "{\\v x}y}");  // braces pass unescaped
    EXPECT_EQ(r.AddUnder("\\b"), "{\\ul \\b}");
    EXPECT_EQ(r.AddDUnder("{z"), "{\\uldb {z}");
    EXPECT_EQ(r.AddFootnote("1", "See below"), "{\\fs16\\up6 1{\\footnote \\pard\\plain \\s245 \\fs20 {\\fs16\\up6 1} See below}}");

    EXPECT_EQ(r.Text()->Count(), 0);  // builders never touch the body
}

TEST_F(RTFFile, GetBeginAppendsHeaderAndBodyWithoutClearing)
{
    Rtf.Text()->Add("body 1");
    Rtf.Text()->Add("body 2");
    TStringList into;
    into.Add("already there");
    Rtf.GetBegin(&into);
    ASSERT_EQ(into.Count(), 9);
    EXPECT_EQ(into.Get(0), "already there");
    EXPECT_EQ(into.Get(1), "{\\rtf1\\ansi \\deff0\\deflang1024");
    EXPECT_EQ(into.Get(6), "}");
    EXPECT_EQ(into.Get(7), "body 1");
    EXPECT_EQ(into.Get(8), "body 2");

    // Into its own body: the body as it was, once (no endless growth).
    Rtf.GetBegin(Rtf.Text());
    EXPECT_EQ(Rtf.Text()->Count(), 10);
    EXPECT_EQ(Rtf.Text()->Get(9), "body 2");
}

TEST_F(RTFFile, EmptyFilenameWritesNothing)
{
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(Dir.path()));
    Rtf.Text()->Add("text");
    const bool result = Rtf.Execute();
    const QStringList left = QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    QDir::setCurrent(before);
    EXPECT_TRUE(result);
    EXPECT_TRUE(left.isEmpty()) << left.join(", ").toStdString();
}

TEST_F(RTFFile, EmptyTextGivesExactlySevenLines)
{
    Rtf.Filename = Base("empty");
    EXPECT_TRUE(Rtf.Execute());
    EXPECT_EQ(ReadBytes(Written("empty")), Header + "}\r\n");
}

TEST_F(RTFFile, BodyLinesGoInUnchangedBetweenHeaderAndBrace)
{
    Rtf.Filename = Base("body");
    Rtf.Text()->Add(Rtf.AddFont(1, 24) + Rtf.AddBold(true) + " Bold" + Rtf.AddBold(false) + " plain");
    Rtf.Text()->Add(Rtf.AddHidden("") + Rtf.AddUnder("") + Rtf.AddDUnder(""));
    Rtf.Text()->Add(Rtf.AddText("{raw} \\group and \\\\ ") + Rtf.AddFootnote("1", "See below"));
    Rtf.Text()->Add("");
    EXPECT_TRUE(Rtf.Execute());
    EXPECT_EQ(ReadBytes(Written("body")),
              Header + "\\f1\\fs24 \\b Bold\\b0 plain\r\n"
                       "{\\v }{\\ul }{\\uldb }\r\n"
                       "{raw} \\group and \\\\ {\\fs16\\up6 1{\\footnote \\pard\\plain \\s245 \\fs20 {\\fs16\\up6 1} See below}}\r\n"
                       "\r\n"
                       "}\r\n");
}

TEST_F(RTFFile, ExtensionIsAppendedBlindlyAndAnExistingFileOverwritten)
{
    Rtf.Filename = Base("doc.rtf");
    EXPECT_TRUE(Rtf.Execute());
    EXPECT_TRUE(QFile::exists(Dir.filePath("doc.rtf.rtf")));
    EXPECT_FALSE(QFile::exists(Dir.filePath("doc.rtf")));

    Rtf.Filename = Base("again");
    Rtf.Text()->Add(String(5000, 'x'));
    Rtf.Execute();
    Rtf.Text()->Clear();
    Rtf.Text()->Add("short");
    EXPECT_TRUE(Rtf.Execute());
    EXPECT_EQ(ReadBytes(Written("again")), Header + "short\r\n}\r\n");  // nothing of the longer file left
}

TEST_F(RTFFile, AFileThatCannotBeCreatedRaisesTheFileError)
{
    Rtf.Filename = Base("no such folder/doc");
    Rtf.Text()->Add("text");
    EXPECT_THROW(Rtf.Execute(), EFCreateError);
    EXPECT_EQ(Rtf.Text()->Count(), 1);
    EXPECT_TRUE(QDir(Dir.path()).isEmpty());
}

TEST_F(RTFFile, FilenameAndTextSurviveAFormFileAndTextIsCopied)
{
    TStringList lines;
    lines.Add("{\\b stored}");
    lines.Add("second");
    Rtf.SetName("RTFFile1");
    Rtf.Filename = "/tmp/out";
    Rtf.SetTexty(&lines);
    lines.Clear();  // a copy, not a reference
    EXPECT_EQ(Rtf.Text()->Count(), 2);

    const String text = ComponentToText(&Rtf);
    TQELRTFFile back(nullptr);
    TextToComponent(text, &back);
    EXPECT_EQ(back.Filename, "/tmp/out");
    EXPECT_EQ(back.Text()->ToVector(), Rtf.Text()->ToVector());
}

// The written document as a separate RTF reader sees it.
TEST_F(RTFFile, PandocReadsBoldUnderlinesFootnoteAndHidesHiddenText)
{
    const QString pandoc = QStandardPaths::findExecutable("pandoc");
    if (pandoc.isEmpty()) GTEST_SKIP() << "pandoc is not installed";
    Rtf.Filename = Base("doc");
    TStrings* t = Rtf.Text();
    t->Add(Rtf.AddFont(0, 24) + "Plain " + Rtf.AddBold(true) + " Heavy" + Rtf.AddBold(false) + " text" + Rtf.AddEnter());
    t->Add(Rtf.AddUnder("Single") + " and " + Rtf.AddDUnder("Double") + Rtf.AddHidden("Secret") + Rtf.AddEnter());
    t->Add("Col1" + Rtf.AddTab() + "Col2" + Rtf.AddFootnote("1", "See below") + Rtf.NewPage());
    t->Add("Next page");
    ASSERT_TRUE(Rtf.Execute());

    const String bytes = ReadBytes(Written("doc"));
    EXPECT_EQ(bytes.find("\\page"), bytes.rfind("\\page"));  // exactly one page break
    EXPECT_NE(bytes.find("\\page"), String::npos);

    QProcess p;
    p.start(pandoc, {"-f", "rtf", "-t", "native", Written("doc")});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QString native = QString::fromUtf8(p.readAllStandardOutput()).simplified();

    EXPECT_TRUE(native.contains("Strong [ Str \"Heavy\" ]")) << native.toStdString();
    EXPECT_TRUE(native.contains("Underline [ Str \"Single\" ]")) << native.toStdString();
    EXPECT_TRUE(native.contains("Underline [ Str \"Double\" ]")) << native.toStdString();
    EXPECT_FALSE(native.contains("Secret")) << native.toStdString();
    EXPECT_TRUE(native.contains("Note [ Para [ Superscript [ Str \"1\" ] , Space , Str \"See\" , Space , Str \"below\" ] ]"))
        << native.toStdString();
    // pandoc has no tab or page node: the tab still parts the words, the page break ends the paragraph.
    EXPECT_TRUE(native.contains("Str \"Col1\" , Space , Str \"Col2\"")) << native.toStdString();
    EXPECT_TRUE(native.endsWith(", Para [ Str \"Next\" , Space , Str \"page\" ] ]")) << native.toStdString();
    EXPECT_FALSE(native.contains("page\\")) << native.toStdString();  // no control word as text
}

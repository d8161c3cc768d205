#include "framework/core/Classes.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qel;

TEST(Strings, TextSplitsAtEveryLineBreakKind)
{
    TStringList l;
    l.SetText("a\r\nb\rc\nd");
    EXPECT_EQ(l.ToVector(), (std::vector<String>{"a", "b", "c", "d"}));
    l.SetText("one\r\n\r\ntwo\n");  // an empty line inside stays; the final break ends the last line
    EXPECT_EQ(l.ToVector(), (std::vector<String>{"one", "", "two"}));
    l.SetText("\n\r");  // LF then a lone CR: two empty lines
    EXPECT_EQ(l.Count(), 2);
    l.SetText("");
    EXPECT_EQ(l.Count(), 0);
    l.SetText(String("x\0y\nz", 5));  // a NUL byte is data, not the end
    EXPECT_EQ(l.Get(0), String("x\0y", 3));
    l.SetText("c\r\r\nd\r");  // a lone CR before CR LF is a break of its own; a final CR ends the line
    EXPECT_EQ(l.ToVector(), (std::vector<String>{"c", "", "d"}));

    l.SetText("a\nb");
    EXPECT_EQ(l.Text(), "a\nb\n");
    l.LineBreak = "\r\n";
    EXPECT_EQ(l.Text(), "a\r\nb\r\n");
}

TEST(Strings, IndexOfIgnoresLetterCase)
{
    TStringList l;
    l.Add("Hello");
    l.Add("WORLD");
    l.Add("Straße");
    EXPECT_EQ(l.IndexOf("world"), 1);
    EXPECT_EQ(l.IndexOf("hello"), 0);
    EXPECT_EQ(l.IndexOf("STRASSE"), -1);
    EXPECT_EQ(l.IndexOf("straße"), 2);
    EXPECT_EQ(l.IndexOf("nope"), -1);
    l.CaseSensitive = true;
    EXPECT_EQ(l.IndexOf("world"), -1);
}

TEST(Strings, EditingObjectsAndErrors)
{
    TStringList l;
    TComponent tag(nullptr);
    l.Add("b");
    l.Insert(0, "a");
    l.AddObject("c", &tag);
    EXPECT_EQ(l.Objects(2), &tag);
    EXPECT_EQ(l.IndexOfObject(&tag), 2);
    l.Delete(1);
    EXPECT_EQ(l.ToVector(), (std::vector<String>{"a", "c"}));
    EXPECT_THROW(l.Get(2), EListError);
    EXPECT_THROW(l.Insert(3, "x"), EListError);
    EXPECT_THROW(l.Delete(-1), EListError);

    TStringList copy;
    copy.Add("old");
    copy.Assign(&l);
    EXPECT_TRUE(copy.Equals(&l));
    EXPECT_EQ(copy.Objects(1), &tag);
    copy.AddStrings(&l);
    EXPECT_EQ(copy.Count(), 4);
    EXPECT_THROW(copy.Assign(&tag), EConvertError);
}

TEST(Strings, SortedListsAndChangeEvents)
{
    TStringList l;
    int changes = 0;
    l.OnChange = [&](TObject*) { ++changes; };
    l.SetText("pear\napple\nfig");
    EXPECT_EQ(changes, 1);  // one notice for a whole text
    l.SetSorted(true);
    EXPECT_EQ(l.ToVector(), (std::vector<String>{"apple", "fig", "pear"}));
    l.Add("Banana");
    EXPECT_EQ(l.Get(1), "Banana");
    EXPECT_THROW(l.Insert(0, "x"), EListError);
    l.Duplicates = dupIgnore;
    EXPECT_EQ(l.Add("APPLE"), 0);
    EXPECT_EQ(l.Count(), 4);
    l.Duplicates = dupError;
    EXPECT_THROW(l.Add("fig"), EListError);
}

TEST(Strings, LinesMovedInAndReadInPlace)
{
    TStringList l;
    int changes = 0;
    l.OnChange = [&](TObject*) { ++changes; };
    l.Add("first");
    std::vector<String> more{"second", String(100, 'x')};
    l.AddMoved(std::move(more));
    EXPECT_TRUE(more.empty());
    EXPECT_EQ(changes, 2);  // one notice for all the lines moved in
    EXPECT_EQ(l.ToVector(), (std::vector<String>{"first", "second", String(100, 'x')}));
    EXPECT_EQ(l.GetObject(2), nullptr);
    const String& line = l.Line(1);
    EXPECT_EQ(&line, &l.Line(1));  // in place, not a copy
    EXPECT_EQ(line, "second");
    EXPECT_THROW(l.Line(3), EListError);
    std::vector<String> none;
    l.AddMoved(none);
    EXPECT_EQ(changes, 2);
    std::vector<String> last{"last"};
    l.AddMoved(std::move(last));
    EXPECT_TRUE(last.empty());
    EXPECT_EQ(l.Line(3), "last");

    TStringList sorted;
    sorted.SetSorted(true);
    std::vector<String> fruit{"pear", "apple"};
    sorted.AddMoved(fruit);
    EXPECT_EQ(fruit, (std::vector<String>{"", ""}));  // moved out line by line
    EXPECT_EQ(sorted.ToVector(), (std::vector<String>{"apple", "pear"}));
}

TEST(Strings, FilesRoundTripAndReportMissingFiles)
{
    QTemporaryDir dir;
    const String name = dir.filePath("lines.txt").toStdString();
    TStringList l;
    l.SetText("first\nzweite Zeile äöü\n");
    l.SaveToFile(name);
    TStringList back;
    back.LoadFromFile(name);
    EXPECT_TRUE(back.Equals(&l));

    try {
        back.LoadFromFile(name + ".missing");
        FAIL() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_NE(String(e.what()).find(name + ".missing"), String::npos);
    }
    EXPECT_THROW(l.SaveToFile(dir.filePath("no/such/dir/x").toStdString()), EFCreateError);
}

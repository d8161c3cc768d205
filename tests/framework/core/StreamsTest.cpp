#include "framework/core/Streams.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qel;

TEST(Streams, MemoryStreamReadsWritesAndSeeks)
{
    TMemoryStream m;
    m.WriteString("hello world");
    EXPECT_EQ(m.Size(), 11);
    EXPECT_EQ(m.Position(), 11);
    m.Seek(-5, soEnd);
    EXPECT_EQ(m.ReadString(100), "world");
    m.SetPosition(6);
    m.WriteString("there!");  // overwrites and grows
    EXPECT_EQ(m.DataString(), "hello there!");
    char buf[4];
    m.SetPosition(m.Size());
    EXPECT_EQ(m.Read(buf, 4), 0);
    EXPECT_THROW(m.ReadBuffer(buf, 4), EReadError);
    m.SetSize(5);
    EXPECT_EQ(m.DataString(), "hello");
    EXPECT_EQ(m.Position(), 5);
    m.Clear();
    EXPECT_EQ(m.Size(), 0);
    EXPECT_EQ(m.Position(), 0);
}

TEST(Streams, FilesRoundTripBinaryAndNameTheFileInErrors)
{
    QTemporaryDir dir;
    const String name = dir.filePath("data.bin").toStdString();
    TMemoryStream m;
    String bytes;
    for (int i = 0; i < 70000; ++i) bytes.push_back(static_cast<char>(i * 7));
    m.WriteString(bytes);
    m.SaveToFile(name);

    TMemoryStream back;
    back.LoadFromFile(name);
    EXPECT_EQ(back.DataString(), bytes);

    {
        TFileStream reader1(name, fmOpenRead | fmShareDenyNone);
        TFileStream reader2(name, fmOpenRead | fmShareDenyNone);  // sharing allowed: both open
        EXPECT_EQ(reader1.Size(), 70000);
        reader2.Seek(69998, soBeginning);
        EXPECT_EQ(reader2.ReadString(10).size(), 2u);
        TMemoryStream part;
        reader1.SetPosition(0);
        part.CopyFrom(&reader1, 1000);
        EXPECT_EQ(part.DataString(), bytes.substr(0, 1000));
    }
    try {
        TFileStream missing(name + "x", fmOpenRead);
        FAIL() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_NE(String(e.what()).find("Cannot open file \"" + name + "x\""), String::npos);
    }
    try {
        TFileStream bad(dir.filePath("none/x").toStdString(), fmCreate);
        FAIL() << "no exception";
    } catch (const EFCreateError& e) {
        EXPECT_NE(String(e.what()).find("Cannot create file"), String::npos);
    }
}

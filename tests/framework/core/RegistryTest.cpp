#include "framework/core/IniFiles.h"
#include "framework/core/Registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

using namespace qel;

namespace {

void WriteFile(const QString& Path, const String& Text)
{
    QDir().mkpath(QFileInfo(Path).path());
    QFile File(Path);
    ASSERT_TRUE(File.open(QIODevice::WriteOnly));
    File.write(Text.data(), static_cast<qint64>(Text.size()));
}

QByteArray ReadFile(const QString& Path)
{
    QFile File(Path);
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

// The base folder is process-wide: every test puts it back, even when it fails.
struct TBaseFolderScope {
    explicit TBaseFolderScope(const QString& Folder) { TRegistry::SetBaseFolder(Folder.toStdString()); }
    ~TBaseFolderScope() { TRegistry::SetBaseFolder(""); }
};

struct TEnvScope {
    TEnvScope(const char* AName, const QString& Value) : Name(AName)
    {
        if (const char* Old = std::getenv(Name)) Previous = Old;
        setenv(Name, Value.toLocal8Bit().constData(), 1);
    }
    ~TEnvScope() { Previous ? setenv(Name, Previous->c_str(), 1) : unsetenv(Name); }
    const char* Name;
    std::optional<String> Previous;
};

} // namespace

TEST(IniFile, ParsesSectionsKeysAndComments)
{
    QTemporaryDir Dir;
    const QString Path = Dir.filePath("test.ini");
    WriteFile(Path, "\xEF\xBB\xBForphan=1\r\n; comment\r\n[Software\\Vendor\\Product]\r\n"
                    "  Name =  two  words \r\nQuoted=\"  padded  \"\r\n# Hidden=1\r\nname=second\r\n"
                    "Count=42\nHex=0x1F\nBad=12abc\nFlag=yes\nOff=0\nEmpty=\nnoequals\nSemi=a ; b\n"
                    "[Other]\nx=1\n[software\\VENDOR\\product]\nLate=3\n[broken\nlost=1\n");
    const TIniFile Ini(Path.toStdString());
    EXPECT_EQ(Ini.FileName(), Path.toStdString());

    const String S = "SOFTWARE\\vendor\\PRODUCT";
    EXPECT_EQ(Ini.ReadString(S, "name", "-"), "two  words");  // the first occurrence wins
    EXPECT_EQ(Ini.ReadString(S, "Quoted", "-"), "  padded  ");
    EXPECT_EQ(Ini.ReadString(S, "Empty", "-"), "");
    EXPECT_EQ(Ini.ReadString(S, "Missing", "-"), "-");
    EXPECT_EQ(Ini.ReadString(S, "Semi", "-"), "a ; b");
    EXPECT_EQ(Ini.ReadString(S, "Late", "-"), "3");  // a repeated section adds to the first
    EXPECT_FALSE(Ini.ValueExists(S, "Hidden"));
    EXPECT_FALSE(Ini.ValueExists(S, "noequals"));
    EXPECT_FALSE(Ini.ValueExists("Other", "lost"));

    EXPECT_EQ(Ini.ReadInteger(S, "Count", -1), 42);
    EXPECT_EQ(Ini.ReadInteger(S, "Hex", -1), 31);
    EXPECT_EQ(Ini.ReadInteger(S, "Bad", -1), -1);
    EXPECT_EQ(Ini.ReadInteger(S, "Missing", -1), -1);
    EXPECT_TRUE(Ini.ReadBool(S, "Flag", false));
    EXPECT_FALSE(Ini.ReadBool(S, "Off", true));
    EXPECT_TRUE(Ini.ReadBool(S, "Count", false));
    EXPECT_TRUE(Ini.ReadBool(S, "Name", true));
    EXPECT_FALSE(Ini.ReadBool(S, "Bad", false));

    std::vector<String> Names;
    Ini.ReadSections(Names);
    EXPECT_EQ(Names, (std::vector<String>{"Software\\Vendor\\Product", "Other"}));
    EXPECT_TRUE(Ini.SectionExists("other"));
    Ini.ReadSection(S, Names);
    EXPECT_EQ(Names,
              (std::vector<String>{"Name", "Quoted", "Count", "Hex", "Bad", "Flag", "Off", "Empty", "Semi", "Late"}));

    const TIniFile Missing(Dir.filePath("none.ini").toStdString());
    Missing.ReadSections(Names);
    EXPECT_TRUE(Names.empty());
    EXPECT_EQ(Missing.ReadString("a", "b", "c"), "c");
}

TEST(Registry, ExtensionKeysComeFromTheMimeDatabase)
{
    QTemporaryDir Dir;
    const TBaseFolderScope Scope(Dir.path());
    TRegistry Reg;
    Reg.SetRootKey(HKEY_CLASSES_ROOT);
    const std::vector<std::pair<String, String>> Known = {
        {".txt", "text/plain"}, {".TXT", "text/plain"}, {".pdf", "application/pdf"}, {"\\.png", "image/png"}};
    for (const auto& [Ext, Type] : Known) {
        EXPECT_TRUE(Reg.KeyExists(Ext)) << Ext;
        ASSERT_TRUE(Reg.OpenKey(Ext, false)) << Ext;
        EXPECT_EQ(Reg.ReadString("Content type"), Type);
        EXPECT_EQ(Reg.ReadString("CONTENT TYPE"), Type);
        EXPECT_EQ(Reg.ReadString("Other"), "");
        std::vector<String> Names;
        Reg.GetValueNames(Names);
        EXPECT_EQ(Names, std::vector<String>{"Content Type"});
        Reg.CloseKey();
    }
    for (const String Ext : {".zz9unknown", "txt", ".", ".a/b.txt"}) {
        EXPECT_FALSE(Reg.KeyExists(Ext)) << Ext;
        EXPECT_FALSE(Reg.OpenKey(Ext, true)) << Ext;
    }
    // No extension names the root itself, which has no content type.
    ASSERT_TRUE(Reg.OpenKey("", false));
    EXPECT_EQ(Reg.ReadString("Content type"), "");
    EXPECT_TRUE(QDir(Dir.path()).isEmpty());

    // The root's INI file may add types and override known ones.
    WriteFile(Dir.filePath("HKEY_CLASSES_ROOT.ini"),
              "[.zz9unknown]\nContent Type=application/x-zz9\n[.txt]\ncontent type=dword:1\n");
    EXPECT_TRUE(Reg.OpenKey("\\.zz9unknown", false));
    EXPECT_EQ(Reg.ReadString("Content Type"), "application/x-zz9");
    EXPECT_TRUE(Reg.OpenKey("\\.txt", false));
    EXPECT_THROW(Reg.ReadString("Content Type"), ERegistryException);
}

TEST(Registry, IniBackedKeysAndValues)
{
    QTemporaryDir Dir;
    const QString File = Dir.filePath("HKEY_CURRENT_USER.ini");
    WriteFile(File, "[Software\\Vendor\\Mail\\Profiles]\nDefaultProfile=Work Mail\nCount=dword:0000001f\n"
                    "Plain=12\nWord=abc\nPadded=\"1 \"\n[\\Software\\Vendor\\Other\\]\nx=1\n");
    const QByteArray Before = ReadFile(File);
    const TBaseFolderScope Scope(Dir.path());
    TRegistry Reg;
    EXPECT_EQ(Reg.RootKey(), HKEY_CURRENT_USER);
    for (const String Key :
         {"Software", "software\\VENDOR", "\\Software\\Vendor\\Mail\\Profiles\\", "Software\\Vendor\\Other"})
        EXPECT_TRUE(Reg.KeyExists(Key)) << Key;
    for (const String Key : {"Soft", "Software\\Vend", "Software\\Vendor\\Mail\\Profiles\\Deeper", "Software\\New"}) {
        EXPECT_FALSE(Reg.KeyExists(Key)) << Key;
        EXPECT_FALSE(Reg.OpenKey(Key, true)) << Key;
    }
    EXPECT_EQ(ReadFile(File), Before);
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 1);

    ASSERT_TRUE(Reg.OpenKey("\\Software\\Vendor", false));
    std::vector<String> Names;
    Reg.GetKeyNames(Names);
    EXPECT_EQ(Names, (std::vector<String>{"Mail", "Other"}));
    ASSERT_TRUE(Reg.OpenKey("mail\\profiles", false));  // relative to the open key
    EXPECT_EQ(Reg.CurrentPath(), "Software\\Vendor\\mail\\profiles");
    EXPECT_FALSE(Reg.OpenKey("Nope", false));
    EXPECT_EQ(Reg.CurrentPath(), "Software\\Vendor\\mail\\profiles");

    EXPECT_EQ(Reg.ReadString("defaultprofile"), "Work Mail");
    EXPECT_EQ(Reg.ReadString("Padded"), "1 ");
    EXPECT_EQ(Reg.ReadString("Missing"), "");
    EXPECT_FALSE(Reg.ValueExists("Missing"));
    EXPECT_TRUE(Reg.ValueExists("COUNT"));
    EXPECT_EQ(Reg.ReadInteger("Count"), 31);
    EXPECT_EQ(Reg.ReadInteger("Plain"), 12);
    for (const String Name : {"Word", "Missing"}) {
        try {
            Reg.ReadInteger(Name);
            ADD_FAILURE() << Name;
        } catch (const ERegistryException& E) {
            EXPECT_EQ(E.Message(), "Invalid data type for '" + Name + "'");
        }
    }
    EXPECT_THROW(Reg.ReadString("Count"), ERegistryException);
    Reg.GetValueNames(Names);
    EXPECT_EQ(Names, (std::vector<String>{"DefaultProfile", "Count", "Plain", "Word", "Padded"}));

    Reg.CloseKey();
    EXPECT_EQ(Reg.CurrentPath(), "");
    EXPECT_EQ(Reg.ReadString("DefaultProfile"), "");
    EXPECT_TRUE(Reg.OpenKey("Software\\Vendor\\Mail\\Profiles", false));  // from the root again
    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(Reg.CurrentPath(), "");
    EXPECT_FALSE(Reg.KeyExists("Software"));
}

TEST(Registry, XdgFoldersAndTheirOrder)
{
    QTemporaryDir Dir;
    const QString Home = Dir.filePath("home"), First = Dir.filePath("sys1"), Second = Dir.filePath("sys2");
    WriteFile(Home + "/qel/registry/HKEY_CURRENT_USER.ini", "[Software\\A]\nWho=user\n");
    WriteFile(First + "/qel/registry/HKEY_LOCAL_MACHINE.ini", "[Software\\A]\nWho=first\n");
    WriteFile(Second + "/qel/registry/HKEY_LOCAL_MACHINE.ini",
              "[Software\\A]\nWho=second\nOnlyHere=2\n[Software\\B]\n");
    const TEnvScope HomeVar("XDG_CONFIG_HOME", Home);
    const TEnvScope DirsVar("XDG_CONFIG_DIRS", "relative/ignored:" + First + ":" + Second);

    TRegistry Reg;
    ASSERT_TRUE(Reg.OpenKey("Software\\A", false));
    EXPECT_EQ(Reg.ReadString("Who"), "user");
    EXPECT_FALSE(Reg.KeyExists("\\Software\\B"));  // the user's root ignores the system folders

    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(Reg.OpenKey("Software\\A", false));
    EXPECT_EQ(Reg.ReadString("Who"), "first");
    EXPECT_EQ(Reg.ReadString("OnlyHere"), "2");
    EXPECT_TRUE(Reg.KeyExists("\\Software\\B"));

    {
        const TBaseFolderScope Scope(Second + "/qel/registry");
        EXPECT_EQ(Reg.ReadString("Who"), "second");
    }
    EXPECT_EQ(Reg.ReadString("Who"), "first");
    const TEnvScope Reordered("XDG_CONFIG_DIRS", Second + ":" + First);
    EXPECT_EQ(Reg.ReadString("Who"), "second");
}

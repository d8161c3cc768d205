#pragma once
// A temporary registry, profile file and address book for the Simple MAPI tests.
#include "framework/core/Registry.h"
#include "mail/QELTMapiMail.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>

using namespace qel;

class TMapiFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        TRegistry::SetBaseFolder(Dir());
    }
    void TearDown() override
    {
        ReleaseMapi();
        TRegistry::SetBaseFolder("");
    }

    String Dir() const { return FDir.path().toStdString(); }
    String Path(const String& Name) const { return Dir() + "/" + Name; }

    void WriteFile(const String& Name, const String& Text) const
    {
        std::ofstream(Path(Name), std::ios::binary) << Text;
    }
    String ReadFile(const String& Name) const
    {
        std::ifstream In(Path(Name), std::ios::binary);
        return String(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
    }

    // Lines after the section header of the MAPI key; "" leaves the key out.
    void WriteMachineKey(const String& Values, bool WithKey = true) const
    {
        String Section = WithKey ? "[SOFTWARE\\Microsoft\\Windows Messaging Subsystem]\n" : "[SOFTWARE\\Other]\n";
        WriteFile("HKEY_LOCAL_MACHINE.ini", Section + Values);
    }

private:
    QTemporaryDir FDir;
};

#pragma once
// The components against the recording provider: binding, control functions and log queries.
#include "mail/mapi/MapiTestSupport.h"
#include "mapi/RecordingProvider.h"

#include "framework/core/Application.h"

#include <dlfcn.h>

using namespace qel;

class TRecordingFixture : public TMapiFixture {
protected:
    void SetUp() override
    {
        TMapiFixture::SetUp();
        WriteMachineKey("MAPI = 1\n");
        RebindMapi(Provider);
        ASSERT_TRUE(MapiAvailable());
        // Our own reference keeps the log readable after a test releases the binding.
        FLib = dlopen((Provider + "/libmapi32.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
        ASSERT_NE(FLib, nullptr);
        Bind(Reset, "RecReset");
        Bind(Log, "RecLog");
        Bind(Script, "RecScript");
        Bind(Resolve, "RecResolve");
        Bind(Outstanding, "RecOutstanding");
        Bind(BadFrees, "RecBadFrees");
        ASSERT_FALSE(HasFatalFailure());
        Reset();
        Application->OnException = [this](TObject*, const Exception& E) { Reported.push_back(E.Message()); };
    }
    void TearDown() override
    {
        Application->OnException = nullptr;
        ReleaseMapi();
        if (FLib)
            dlclose(FLib);
        TMapiFixture::TearDown();
    }

    std::vector<TRecCall> Calls(const String& Entry) const
    {
        std::vector<TRecCall> Out;
        for (const TRecCall& C : *Log())
            if (C.Entry == Entry)
                Out.push_back(C);
        return Out;
    }
    std::vector<String> Entries() const
    {
        std::vector<String> Out;
        for (const TRecCall& C : *Log())
            Out.push_back(C.Entry);
        return Out;
    }
    // The record of the Index-th MAPISendMail call.
    TRecMessage Sent(size_t Index = 0) const
    {
        std::vector<TRecCall> S = Calls("MAPISendMail");
        return Index < S.size() ? S[Index].Message : TRecMessage();
    }

    static void ExpectRecip(const TRecRecip& R, MAPI_ULONG Class, const TRecText& Name, const TRecText& Address)
    {
        EXPECT_FALSE(R.Null);
        EXPECT_EQ(R.Class, Class);
        EXPECT_EQ(R.Name, Name);
        EXPECT_EQ(R.Address, Address);
        EXPECT_EQ(R.Reserved, 0u);
    }

    void (*Reset)() = nullptr;
    const std::vector<TRecCall>* (*Log)() = nullptr;
    void (*Script)(const char*, MAPI_ULONG) = nullptr;
    void (*Resolve)(const char*, MAPI_ULONG, const char*) = nullptr;
    int (*Outstanding)() = nullptr;
    int (*BadFrees)() = nullptr;
    std::vector<String> Reported;  // messages handed to Application->HandleException

private:
    template <class F>
    void Bind(F& Slot, const char* Name)
    {
        Slot = reinterpret_cast<F>(dlsym(FLib, Name));
        ASSERT_NE(Slot, nullptr) << Name;
    }

    const String Provider = QEL_MAPI_RECORDING_DIR;
    void* FLib = nullptr;
};

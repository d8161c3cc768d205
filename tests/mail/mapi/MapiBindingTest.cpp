// Finding, loading and binding the provider library.
#include "mail/mapi/MapiTestSupport.h"

#include "framework/core/Application.h"

#include <dlfcn.h>

using namespace qel;

namespace {

const String FullProvider = QEL_MAPI_FULL_DIR;
const String NoDetailsProvider = QEL_MAPI_NODETAILS_DIR;

class MapiBinding : public TMapiFixture {};

void ExpectUnbound()
{
    EXPECT_FALSE(MapiAvailable());
    EXPECT_EQ(MapiLoadError(), "");
    EXPECT_EQ(MapiEntries().MAPILogon, nullptr);
    EXPECT_EQ(MapiEntries().MAPIFindNext, nullptr);
}

TEST_F(MapiBinding, ValueOneWithCompleteProviderBindsAllTwelve)
{
    WriteMachineKey("MAPI = 1\n");
    RebindMapi(FullProvider);
    EXPECT_TRUE(MapiAvailable());
    EXPECT_EQ(MapiLoadError(), "");
    const TMapiEntryPoints& E = MapiEntries();
    const void* All[] = {(void*)E.MAPIFindNext, (void*)E.MAPILogoff, (void*)E.MAPILogon,
                         (void*)E.MAPISendMail, (void*)E.MAPISendDocuments, (void*)E.MAPIDetails,
                         (void*)E.MAPIReadMail, (void*)E.MAPIDeleteMail, (void*)E.MAPIResolveName,
                         (void*)E.MAPIFreeBuffer, (void*)E.MAPIAddress, (void*)E.MAPISaveMail};
    for (const void* P : All)
        EXPECT_NE(P, nullptr);
    // Bound by name: each slot is the provider's own symbol of that name.
    void* Lib = dlopen((FullProvider + "/libmapi32.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(Lib, nullptr);
    EXPECT_EQ((void*)E.MAPIResolveName, dlsym(Lib, "MAPIResolveName"));
    EXPECT_EQ((void*)E.MAPILogoff, dlsym(Lib, "MAPILogoff"));
    EXPECT_EQ(E.MAPIDetails(0, 0, nullptr, 0, 0), uint32_t(MAPI_E_NOT_SUPPORTED));
    dlclose(Lib);
}

TEST_F(MapiBinding, AnyOtherRegistryStateIsSilentlyUnavailable)
{
    const std::pair<String, bool> Cases[] = {
        {"MAPI = 0\n", true},        {"MAPI = 10\n", true},          {"MAPI = \"1 \"\n", true},
        {"MAPI =\n", true},          {"Other = 1\n", true},          {"MAPI = dword:00000001\n", true},
        {"MAPI = 1\n", false}};
    int Reports = 0;
    Application->OnException = [&](TObject*, const Exception&) { ++Reports; };
    for (const auto& [Values, WithKey] : Cases) {
        SCOPED_TRACE(Values + (WithKey ? "" : " (other key)"));
        WriteMachineKey(Values, WithKey);
        RebindMapi(FullProvider);
        ExpectUnbound();
        ReportMapiLoadError(nullptr);
    }
    Application->OnException = nullptr;
    EXPECT_EQ(Reports, 0);
}

TEST_F(MapiBinding, MissingLibraryOrRegistryFileIsSilentlyUnavailable)
{
    RebindMapi(FullProvider);
    ExpectUnbound();

    WriteMachineKey("MAPI = 1\n");
    RebindMapi(Dir());
    ExpectUnbound();
}

TEST_F(MapiBinding, MissingEntryPointFailsButStaysAvailableAndIsReportedOnce)
{
    WriteMachineKey("MAPI = 1\n");
    EXPECT_THROW(BindMapi(NoDetailsProvider), TQELExceptdllerror);
    ReleaseMapi();

    RebindMapi(NoDetailsProvider);
    EXPECT_TRUE(MapiAvailable());
    EXPECT_EQ(MapiLoadError(), "GetProcAddress for MAPI DLL function(s) failed");
    EXPECT_EQ(MapiEntries().MAPIDetails, nullptr);
    EXPECT_NE(MapiEntries().MAPISaveMail, nullptr);  // later names are still bound

    std::vector<String> Seen;
    Application->OnException = [&](TObject*, const Exception& E) { Seen.push_back(E.Message()); };
    ReportMapiLoadError(nullptr);
    ReportMapiLoadError(nullptr);
    Application->OnException = nullptr;
    ASSERT_EQ(Seen.size(), 1u);
    EXPECT_EQ(Seen[0], "GetProcAddress for MAPI DLL function(s) failed");
}

TEST_F(MapiBinding, ReleaseUnloadsOnlyWhatWasLoaded)
{
    const String Lib = NoDetailsProvider + "/libmapi32.so";
    WriteMachineKey("MAPI = 1\n");
    RebindMapi(NoDetailsProvider);
    void* Probe = dlopen(Lib.c_str(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(Probe, nullptr);
    dlclose(Probe);
    ReleaseMapi();
    EXPECT_FALSE(MapiAvailable());
    EXPECT_EQ(MapiLoadError(), "");
    EXPECT_EQ(dlopen(Lib.c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr);
    ReleaseMapi();  // a second release with nothing loaded is harmless
}

}  // namespace

#include "framework/core/Packages.h"
#include "tests/framework/TestComponents.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

// A class named like a registered test class, in another namespace.
namespace qel_test_other {

class TTestThing : public TComponent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TTestThing(TComponent* AOwner) : TComponent(AOwner) {}
};

class TUnregistered : public TComponent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TUnregistered(TComponent* AOwner) : TComponent(AOwner) {}
};

}  // namespace qel_test_other

namespace {

bool IsLoaded(const char* Path)
{
    void* handle = dlopen(Path, RTLD_NOW | RTLD_NOLOAD);
    if (handle) dlclose(handle);
    return handle != nullptr;
}

String PackagedClassName()
{
    TClass c = GetClass("TPackagedThing");
    return c ? c->className() : "";
}

String MessageOf(const std::function<void()>& Step)
{
    try {
        Step();
    } catch (const Exception& E) {
        return E.Message();
    }
    return "(nothing raised)";
}

}  // namespace

TEST(ClassRegistry, AClashNamesBothClassesAndNeverReplaces)
{
    const String text = MessageOf([] { RegisterClass(ClassOf<qel_test_other::TTestThing>()); });
    EXPECT_NE(text.find(": TTestThing ("), String::npos) << text;  // the registered one
    EXPECT_NE(text.find("qel_test_other::TTestThing ("), String::npos) << text;
    EXPECT_NE(text.find(ModuleFileName(ClassOf<TTestThing>())), String::npos) << text;
    EXPECT_THROW(RegisterClass(ClassOf<qel_test_other::TTestThing>()), EFilerError);
    EXPECT_EQ(GetClass("TTestThing"), ClassOf<TTestThing>());

    RegisterClass(ClassOf<TTestThing>());  // the same class again changes nothing
    UnRegisterClass(ClassOf<qel_test_other::TTestThing>());  // not the holder of the name
    EXPECT_EQ(GetClass("TTestThing"), ClassOf<TTestThing>());
}

TEST(ClassRegistry, RegistrationObjectsRecordClashesAndUnregisterWhatTheyRegistered)
{
    const size_t before = ClassRegistrationErrorCount();
    {
        TClassRegistration clash(ClassOf<qel_test_other::TTestThing>());  // cannot raise
        TClassRegistration fresh(ClassOf<qel_test_other::TUnregistered>());
        EXPECT_EQ(GetClass("TUnregistered"), ClassOf<qel_test_other::TUnregistered>());
        EXPECT_EQ(ClassRegistrationErrorCount(), before + 1);
    }
    EXPECT_EQ(GetClass("TUnregistered"), nullptr);
    EXPECT_EQ(GetClass("TTestThing"), ClassOf<TTestThing>());  // the failed one took nothing away

    const std::vector<String> errors = TakeClassRegistrationErrors(before);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("qel_test_other::TTestThing"), String::npos) << errors[0];
    EXPECT_TRUE(TakeClassRegistrationErrors(before).empty());
}

TEST(Packages, ClassesComeAndGoWithTheirPackage)
{
    ASSERT_EQ(GetClass("TPackagedThing"), nullptr);
    HMODULE a = LoadPackage(QEL_TEST_PACKAGE_A);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(PackagedClassName(), "qel_test_package_a::TPackagedThing");
    EXPECT_EQ(ModuleFileName(GetClass("TPackagedThing")), QEL_TEST_PACKAGE_A);

    // The second package's class wants the name: it is refused, and so is the package.
    const String text = MessageOf([] { LoadPackage(QEL_TEST_PACKAGE_B); });
    for (const char* expected : {"qel_test_package_a::TPackagedThing (" QEL_TEST_PACKAGE_A ")",
                                 "qel_test_package_b::TPackagedThing (" QEL_TEST_PACKAGE_B ")"})
        EXPECT_NE(text.find(expected), String::npos) << text;
    EXPECT_THROW(LoadPackage(QEL_TEST_PACKAGE_B), EPackageError);
    EXPECT_FALSE(IsLoaded(QEL_TEST_PACKAGE_B));
    EXPECT_EQ(PackagedClassName(), "qel_test_package_a::TPackagedThing");

    UnloadPackage(a);
    EXPECT_FALSE(IsLoaded(QEL_TEST_PACKAGE_A));
    EXPECT_EQ(GetClass("TPackagedThing"), nullptr);

    HMODULE b = LoadPackage(QEL_TEST_PACKAGE_B);
    EXPECT_EQ(PackagedClassName(), "qel_test_package_b::TPackagedThing");
    UnloadPackage(b);
    EXPECT_EQ(GetClass("TPackagedThing"), nullptr);
}

TEST(Packages, ComponentsAreMadeFromAPackagesClasses)
{
    HMODULE a = LoadPackage(QEL_TEST_PACKAGE_A);
    {
        TComponent owner(nullptr);
        QObject* made = FindClass("TPackagedThing")->newInstance(Q_ARG(TComponent*, &owner));
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(owner.ComponentCount(), 1);
        EXPECT_EQ(owner.Components(0)->ClassName(), "TPackagedThing");
    }
    UnloadPackage(a);
    EXPECT_EQ(GetClass("TPackagedThing"), nullptr);
}

TEST(Packages, ALibraryThatCannotLoadRaisesTheLoadersText)
{
    const String text = MessageOf([] { LoadPackage("libqel-no-such-package.so"); });
    EXPECT_NE(text.find("libqel-no-such-package.so"), String::npos) << text;
    EXPECT_NE(text.find("No such file"), String::npos) << text;
    EXPECT_THROW(LoadPackage("libqel-no-such-package.so"), EPackageError);
}

#include "PackagesTest.moc"

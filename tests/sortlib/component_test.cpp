// Registration, creation by class identity, and unloading.

#include <dlfcn.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "fixture.h"

namespace sortlib_test {
namespace {

using namespace platform::com;

bool LibraryLoaded() {
  void* h = ::dlopen(kLibraryPath, RTLD_NOW | RTLD_NOLOAD);
  if (h != nullptr) ::dlclose(h);
  return h != nullptr;
}

std::string RegistryText() {
  std::ifstream in(platform::ComponentRegistryPath());
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class Component : public testing::Test {
 protected:
  void SetUp() override {
    UseTestRegistry();
    ASSERT_FALSE(LibraryLoaded());
  }
  void TearDown() override {
    platform::SetComponentFallbackDirectoriesForTesting(std::nullopt);
    UseTestRegistry();
  }
};

TEST_F(Component, SelfRegistrationWritesAndRemovesItsEntry) {
  ASSERT_TRUE(platform::RegisterComponent({1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}},
                                          {"Other.Class", "/opt/other.so", "OTHERLIB"})
                  .ok());
  ASSERT_TRUE(platform::UnregisterComponent(zuvasort::kZuvaSortMemClassId).ok());
  void* h = ::dlopen(kLibraryPath, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(h, nullptr);
  auto reg = reinterpret_cast<DllRegisterServerFn>(::dlsym(h, "DllRegisterServer"));
  auto unreg = reinterpret_cast<DllUnregisterServerFn>(::dlsym(h, "DllUnregisterServer"));
  ASSERT_EQ(reg(), S_OK);
  std::optional<platform::ComponentEntry> entry =
      platform::LookUpComponent(zuvasort::kZuvaSortMemClassId);
  ASSERT_TRUE(entry.has_value());
  EXPECT_EQ(entry->progId, "ZUVASORTMEM2.ZUVASORTMEM");
  EXPECT_EQ(entry->typeLibrary, "ZUVASORTMEMCLASS2");
  EXPECT_EQ(std::filesystem::canonical(entry->library), std::filesystem::canonical(kLibraryPath));
  EXPECT_NE(RegistryText().find("[{05D53E3B-D103-4962-9E45-97309C189F9A}]"), std::string::npos);
  ASSERT_EQ(unreg(), S_OK);
  ::dlclose(h);
  EXPECT_FALSE(platform::LookUpComponent(zuvasort::kZuvaSortMemClassId).has_value());
  EXPECT_TRUE(platform::LookUpComponent({1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}}).has_value());

  // Unregistered, and no library beside the program either.
  platform::SetComponentFallbackDirectoriesForTesting(std::vector<std::filesystem::path>{});
  zuvasort::SortJob job;
  platform::CreateResult r = job.Create();
  EXPECT_EQ(r.status.error, platform::kCannotCreateObject);
  EXPECT_EQ(r.hresult, REGDB_E_CLASSNOTREG);
  EXPECT_FALSE(job.IsCreated());
  EXPECT_EQ(job.Open(), zuvasort::kAutomationError);
}

// The program's folder is build/bin or <prefix>/bin; its library is in
// ../lib (the build) or the private ../lib/velunor2 (an installation), found
// there when nothing is registered; last the installation built for.
TEST_F(Component, UnregisteredTheLibraryBesideTheProgramServes) {
  ASSERT_TRUE(platform::UnregisterComponent(zuvasort::kZuvaSortMemClassId).ok());
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
  const std::filesystem::path here = exe.parent_path();
  EXPECT_EQ(platform::ExecutableDirectory(), here);
  EXPECT_EQ(
      platform::ComponentFallbackDirectories(),
      (std::vector<std::filesystem::path>{(here / ".." / "lib" / "velunor2").lexically_normal(),
                                          (here / ".." / "lib").lexically_normal(), here,
                                          std::filesystem::path(VELUNOR_INSTALLED_COMPONENT_DIR)}));
  EXPECT_EQ(std::filesystem::canonical(platform::FindBesideProgram("ZUVASORTMEM2.so")),
            std::filesystem::canonical(kLibraryPath));
  EXPECT_TRUE(platform::FindBesideProgram("NOSUCHLIBRARY.so").empty());
  const std::string registryBefore = RegistryText();

  zuvasort::SortJob job;
  platform::CreateResult r = job.Create();
  ASSERT_TRUE(r.status.ok()) << r.detail;
  EXPECT_TRUE(r.tried.empty());
  EXPECT_EQ(std::filesystem::canonical(r.library), std::filesystem::canonical(kLibraryPath));
  EXPECT_EQ(job.SetParam("1,1"), 0);
  EXPECT_EQ(job.Open(), 0);
  EXPECT_EQ(job.Close(), 0);
  EXPECT_EQ(RegistryText(), registryBefore);  // creation only reads the registry
}

// A registry entry whose library is gone (a deleted build tree) or is no
// library at all: creation falls back and says what it passed over.
TEST_F(Component, AnUnusableRegisteredLibraryFallsBack) {
  const std::filesystem::path dir =
      std::filesystem::path(platform::ComponentRegistryPath()).parent_path();
  const std::filesystem::path gone = dir / "deleted-build" / "lib" / "ZUVASORTMEM2.so";
  const std::filesystem::path junk = dir / "junk" / "ZUVASORTMEM2.so";
  std::filesystem::create_directories(junk.parent_path());
  std::ofstream(junk) << "not a library";
  platform::SetComponentFallbackDirectoriesForTesting(
      std::vector{std::filesystem::path(kLibraryPath).parent_path()});

  for (const std::filesystem::path& registered : {gone, junk}) {
    ASSERT_TRUE(platform::RegisterComponent(zuvasort::kZuvaSortMemClassId,
                                            {std::string(zuvasort::kProgId), registered.string(),
                                             std::string(zuvasort::kTypeLibraryName)})
                    .ok());
    const std::string registryBefore = RegistryText();
    zuvasort::SortJob job;
    platform::CreateResult r = job.Create();
    ASSERT_TRUE(r.status.ok()) << r.detail;
    ASSERT_EQ(r.tried.size(), 1u);
    EXPECT_EQ(r.tried[0].path, registered.string());
    EXPECT_TRUE(r.tried[0].registered);
    EXPECT_EQ(r.tried[0].problem, registered == gone ? platform::TriedLibrary::kMissing
                                                     : platform::TriedLibrary::kNotLoadable);
    EXPECT_EQ(job.SetParam("1,1"), 0);
    EXPECT_EQ(job.Open(), 0);
    EXPECT_EQ(RegistryText(), registryBefore);
  }
  platform::SetComponentFallbackDirectoriesForTesting(std::nullopt);
}

// Nothing usable anywhere: every file tried is named, and the command that
// registers a library.
TEST_F(Component, TheMessageNamesEveryFileTriedAndTheRegistration) {
  const std::filesystem::path dir =
      std::filesystem::path(platform::ComponentRegistryPath()).parent_path();
  const std::filesystem::path gone = dir / "deleted-build" / "lib" / "ZUVASORTMEM2.so";
  ASSERT_TRUE(platform::RegisterComponent(zuvasort::kZuvaSortMemClassId,
                                          {std::string(zuvasort::kProgId), gone.string(),
                                           std::string(zuvasort::kTypeLibraryName)})
                  .ok());
  platform::SetComponentFallbackDirectoriesForTesting(std::vector{dir / "a", dir / "b"});
  zuvasort::SortJob job;
  platform::CreateResult r = job.Create();
  EXPECT_EQ(r.status.error, platform::kCannotCreateObject);
  EXPECT_EQ(r.hresult, CO_E_DLLNOTFOUND);
  ASSERT_EQ(r.tried.size(), 3u);
  EXPECT_EQ(r.tried[1].path, (dir / "a" / "ZUVASORTMEM2.so").string());
  EXPECT_FALSE(r.tried[1].registered);

  const std::string message = zuvasort::LibraryMissingMessage(r);
  platform::SetComponentFallbackDirectoriesForTesting(std::nullopt);
  EXPECT_TRUE(message.starts_with(zuvasort::kLibraryMissingText)) << message;
  for (const std::filesystem::path& p :
       {gone, dir / "a" / "ZUVASORTMEM2.so", dir / "b" / "ZUVASORTMEM2.so"}) {
    EXPECT_NE(message.find(p.string()), std::string::npos) << message;
  }
  EXPECT_NE(message.find("登録先にファイルがありません"), std::string::npos) << message;
  EXPECT_NE(message.find("velunor_regsvr " + (dir / "a" / "ZUVASORTMEM2.so").string()),
            std::string::npos)
      << message;
}

TEST_F(Component, LoadedWhileAnObjectLivesAndUnloadedAfterTheLast) {
  {
    zuvasort::SortJob first;
    zuvasort::SortJob second;
    ASSERT_TRUE(first.Create().status.ok());
    ASSERT_TRUE(second.Create().status.ok());
    EXPECT_TRUE(LibraryLoaded());
    EXPECT_EQ(platform::LoadedComponentLibraries(), 1u);
    first.Release();
    EXPECT_TRUE(LibraryLoaded());
    EXPECT_EQ(second.SetParam("1,1"), 0);
    EXPECT_EQ(second.Open(), 0);
  }
  EXPECT_EQ(platform::LoadedComponentLibraries(), 0u);
  EXPECT_FALSE(LibraryLoaded());
  // And loads again for the next object.
  zuvasort::SortJob again;
  EXPECT_TRUE(again.Create().status.ok());
  EXPECT_TRUE(LibraryLoaded());
}

TEST_F(Component, ALockedFactoryKeepsTheLibrary) {
  void* h = ::dlopen(kLibraryPath, RTLD_NOW | RTLD_LOCAL);
  auto get = reinterpret_cast<DllGetClassObjectFn>(::dlsym(h, "DllGetClassObject"));
  auto canUnload = reinterpret_cast<DllCanUnloadNowFn>(::dlsym(h, "DllCanUnloadNow"));
  EXPECT_EQ(canUnload(), S_OK);
  void* p = nullptr;
  ASSERT_EQ(get(&zuvasort::kZuvaSortMemClassId, &IClassFactory::kIid, &p), S_OK);
  auto* factory = static_cast<IClassFactory*>(p);
  EXPECT_EQ(canUnload(), S_FALSE);
  void* object = nullptr;
  EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown*>(factory), IUnknown::kIid, &object),
            CLASS_E_NOAGGREGATION);
  factory->Release();
  EXPECT_EQ(canUnload(), S_OK);
  const CLSID other{0x11111111, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  EXPECT_EQ(get(&other, &IClassFactory::kIid, &p), CLASS_E_CLASSNOTAVAILABLE);
  ::dlclose(h);
}

TEST_F(Component, CreationFailuresAreStatuses) {
  const CLSID stranger{0x22222222, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  platform::ComPtr<IUnknown> object;

  ASSERT_TRUE(platform::RegisterComponent(stranger, {"X", kLibraryPath, ""}).ok());
  platform::CreateResult wrongIdentity = platform::CreateObject(stranger, object);
  EXPECT_EQ(wrongIdentity.status.error, platform::kCannotCreateObject);
  EXPECT_EQ(wrongIdentity.hresult, CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_FALSE(object);
  EXPECT_FALSE(LibraryLoaded());

  ASSERT_TRUE(platform::RegisterComponent(stranger, {"X", "/nonexistent/lib.so", ""}).ok());
  platform::CreateResult missing = platform::CreateObject(stranger, object);
  EXPECT_EQ(missing.status.error, platform::kCannotCreateObject);
  EXPECT_EQ(missing.hresult, CO_E_DLLNOTFOUND);

  ASSERT_TRUE(platform::RegisterComponent(stranger, {"X", "libc.so.6", ""}).ok());
  EXPECT_EQ(platform::CreateObject(stranger, object).hresult, CO_E_ERRORINDLL);

  platform::ComPtr<IClassFactory> notOffered;
  EXPECT_EQ(platform::CreateObject(zuvasort::kZuvaSortMemClassId, notOffered).hresult,
            E_NOINTERFACE);
  EXPECT_EQ(platform::LoadedComponentLibraries(), 0u);
}

TEST(ComponentText, GuidsAndUtf16RoundTrip) {
  EXPECT_EQ(GuidToString(zuvasort::kZuvaSortMemClassId), "{05D53E3B-D103-4962-9E45-97309C189F9A}");
  EXPECT_EQ(GuidFromString("05d53e3b-d103-4962-9e45-97309c189f9a"), zuvasort::kZuvaSortMemClassId);
  EXPECT_FALSE(GuidFromString("{05D53E3B-D103-4962-9E45-97309C189F9}").has_value());
  const std::string text = "ID=000123 検査日 \xF0\x9F\x98\x80";
  EXPECT_EQ(platform::Utf8FromUtf16(platform::Utf16FromUtf8(text)), text);
  EXPECT_EQ(platform::Utf16FromUtf8("a\xFF"
                                    "b\xE3\x81"),
            u"a\uFFFDb\uFFFD");
}

}  // namespace
}  // namespace sortlib_test

#pragma once

// In-process components created at run time by class identity.
//
// A component is a shared library that the program never links. It exports
//   DllGetClassObject(clsid, iid, out)  the class factory of one of its classes,
//   DllCanUnloadNow()                   S_OK when no object or factory lock is left,
//   DllRegisterServer()                 writes "class identity -> this library"
//   DllUnregisterServer()               removes that entry
// and its objects are reached through vtable interfaces laid out as automation
// interfaces are: IUnknown (QueryInterface, AddRef, Release), IDispatch
// (GetTypeInfoCount, GetTypeInfo, GetIDsOfNames, Invoke), then the
// interface's own members in declaration order. Strings cross as BSTR
// (length-prefixed UTF-16, one character = one UTF-16 code unit).
//
// The component registry is a small per-user text file:
//   $VELUNOR_COMPONENT_REGISTRY if set, else
//   $XDG_CONFIG_HOME/velunor2/components.ini (~/.config/velunor2/components.ini).
// Each class is a section named by its identity:
//   [{05D53E3B-D103-4962-9E45-97309C189F9A}]
//   ProgID=ZUVASORTMEM2.ZUVASORTMEM
//   InprocServer=/abs/path/ZUVASORTMEM2.so
//   TypeLib=ZUVASORTMEMCLASS2
//
// When the class is not registered, or its registered library is missing or
// does not load, creation falls back to the library installed beside the
// program: the caller names the library file ("ZUVASORTMEM2.so") and it is
// looked for in ../lib/velunor2 and ../lib from the executable, in the
// executable's own folder, then in the installation's private folder. An
// installed program therefore sorts without any registry entry, and a
// registry entry left behind by a deleted build does not stop it.
//
// Creating an object (the sort component as the example; its interface and
// the header-only job wrapper are in sortlib/zuvasortmem.h, which needs no
// link with the library, only with velunor_component):
//
//   zuvasort::SortJob job;
//   platform::CreateResult created = job.Create();   // by class identity
//   if (!created.status.ok()) {
//     // created.status.error is kCannotCreateObject (429) for every creation
//     // failure: class not registered, library missing or not loadable,
//     // entry points missing, identity unknown to the library, interface not
//     // supported. created.hresult and created.detail say which.
//   }
//   job.RouteMessagesTo(ui);            // the library's boxes go through `ui`
//   int32_t s = job.SetParam("1,6,A");  // the key parameter
//   s = job.Open();                     // 0, or 21 for a rejected parameter
//   s = job.Put(line);                  // per record: sets DATA, then PUT
//   s = job.Main();                     // orders the records
//   std::string out;
//   while ((s = job.Get(out)) == 0) { /* next line in key order */ }
//   // s == 99 at the end; anything else is a failure
//   s = job.Close();
//   job.Release();                      // also done by the destructor
//
// Releasing the last reference through ComPtr (or SortJob) lets the library
// unload: FreeUnusedLibraries() asks each loaded library's DllCanUnloadNow and
// unloads those that agree.

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/status.h"

namespace platform::com {

using HRESULT = std::int32_t;

constexpr HRESULT Hr(std::uint32_t code) { return static_cast<HRESULT>(code); }
constexpr bool Succeeded(HRESULT hr) { return hr >= 0; }

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = Hr(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = Hr(0x80004002);
inline constexpr HRESULT E_POINTER = Hr(0x80004003);
inline constexpr HRESULT E_FAIL = Hr(0x80004005);
inline constexpr HRESULT E_OUTOFMEMORY = Hr(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = Hr(0x80070057);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = Hr(0x80040110);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = Hr(0x80040111);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = Hr(0x80040154);
inline constexpr HRESULT CO_E_DLLNOTFOUND = Hr(0x800401F8);
inline constexpr HRESULT CO_E_ERRORINDLL = Hr(0x800401F9);
inline constexpr HRESULT SELFREG_E_CLASS = Hr(0x80040201);
inline constexpr HRESULT DISP_E_UNKNOWNINTERFACE = Hr(0x80020001);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = Hr(0x80020003);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = Hr(0x80020005);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = Hr(0x80020006);
inline constexpr HRESULT DISP_E_NONAMEDARGS = Hr(0x80020007);
inline constexpr HRESULT DISP_E_OVERFLOW = Hr(0x8002000A);
inline constexpr HRESULT DISP_E_BADINDEX = Hr(0x8002000B);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = Hr(0x8002000E);

struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
  friend constexpr bool operator==(const GUID&, const GUID&) = default;
};
using IID = GUID;
using CLSID = GUID;

inline constexpr IID kNullIid{};

// "{05D53E3B-D103-4962-9E45-97309C189F9A}" (upper case, with braces).
std::string GuidToString(const GUID& guid);
// Accepts the form above with or without braces, either letter case.
std::optional<GUID> GuidFromString(std::string_view text);

// BSTR: a pointer to UTF-16 text preceded by its length in bytes (32 bits)
// and followed by a zero code unit. Both sides of the boundary share the C
// library's allocator, so whoever receives a BSTR frees it with SysFreeString.
using BSTR = char16_t*;

inline BSTR SysAllocStringLen(const char16_t* text, std::uint32_t length) {
  if (length > (UINT32_MAX - 8) / 2) return nullptr;
  auto* block = static_cast<unsigned char*>(std::malloc(4 + 2 * std::size_t{length} + 2));
  if (block == nullptr) return nullptr;
  const std::uint32_t bytes = 2 * length;
  std::memcpy(block, &bytes, 4);
  auto* chars = reinterpret_cast<char16_t*>(block + 4);
  if (text != nullptr && length > 0) std::memcpy(chars, text, 2 * std::size_t{length});
  chars[length] = u'\0';
  return chars;
}
inline BSTR SysAllocString(std::u16string_view text) {
  return SysAllocStringLen(text.data(), static_cast<std::uint32_t>(text.size()));
}
inline std::uint32_t SysStringLen(const char16_t* bstr) {
  if (bstr == nullptr) return 0;
  std::uint32_t bytes;
  std::memcpy(&bytes, reinterpret_cast<const unsigned char*>(bstr) - 4, 4);
  return bytes / 2;
}
inline void SysFreeString(BSTR bstr) {
  if (bstr != nullptr) std::free(reinterpret_cast<unsigned char*>(bstr) - 4);
}
// The text of a BSTR (a null BSTR is the empty string).
inline std::u16string_view BstrView(const char16_t* bstr) { return {bstr, SysStringLen(bstr)}; }

// Owns one BSTR.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::u16string_view text)
      : value_(SysAllocString(text)), capacity_(value_ != nullptr ? text.size() : 0) {}
  ~Bstr() { SysFreeString(value_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  Bstr(Bstr&& other) noexcept
      : value_(std::exchange(other.value_, nullptr)),
        capacity_(std::exchange(other.capacity_, 0)) {}
  Bstr& operator=(Bstr&& other) noexcept {
    std::swap(value_, other.value_);
    std::swap(capacity_, other.capacity_);
    return *this;
  }
  BSTR get() const { return value_; }
  // For an out parameter: frees the current value first.
  BSTR* out() {
    SysFreeString(std::exchange(value_, nullptr));
    capacity_ = 0;
    return &value_;
  }
  std::u16string_view view() const { return BstrView(value_); }

  // Replaces the value with `utf8` converted, reusing the allocation when it
  // is large enough (a caller putting many strings allocates once).
  bool AssignUtf8(std::string_view utf8);

 private:
  BSTR value_ = nullptr;
  std::size_t capacity_ = 0;  // code units the allocation holds, 0 when not ours
};

// A small automation VARIANT: the types these components exchange.
enum VarType : std::uint16_t {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R8 = 5,
  VT_BSTR = 8,
  VT_ERROR = 10,
  VT_BOOL = 11,
};

struct VARIANT {
  std::uint16_t vt;
  std::uint16_t reserved1;
  std::uint16_t reserved2;
  std::uint16_t reserved3;
  union {
    std::int32_t lVal;
    std::int16_t iVal;
    double dblVal;
    std::int16_t boolVal;  // -1 true, 0 false
    std::int32_t scode;
    BSTR bstrVal;
  };
};

inline void VariantInit(VARIANT* v) {
  std::memset(v, 0, sizeof *v);
  v->vt = VT_EMPTY;
}
inline HRESULT VariantClear(VARIANT* v) {
  if (v == nullptr) return E_POINTER;
  if (v->vt == VT_BSTR) SysFreeString(v->bstrVal);
  VariantInit(v);
  return S_OK;
}

using DISPID = std::int32_t;
inline constexpr DISPID DISPID_UNKNOWN = -1;
inline constexpr DISPID DISPID_PROPERTYPUT = -3;

enum DispatchFlags : std::uint16_t {
  DISPATCH_METHOD = 1,
  DISPATCH_PROPERTYGET = 2,
  DISPATCH_PROPERTYPUT = 4,
  DISPATCH_PROPERTYPUTREF = 8,
};

// Arguments of Invoke, in reverse order as automation passes them.
struct DISPPARAMS {
  VARIANT* rgvarg;
  DISPID* rgdispidNamedArgs;
  std::uint32_t cArgs;
  std::uint32_t cNamedArgs;
};

struct EXCEPINFO;  // never filled: the components report through results
struct ITypeInfo;  // no type information is loadable

// The interfaces are abstract classes whose virtual functions form the vtable
// in declaration order. Objects are destroyed only by their own Release.
struct IUnknown {
  static constexpr IID kIid{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
  virtual HRESULT QueryInterface(const IID& iid, void** object) = 0;
  virtual std::uint32_t AddRef() = 0;
  virtual std::uint32_t Release() = 0;

 protected:
  ~IUnknown() = default;
};

struct IDispatch : IUnknown {
  static constexpr IID kIid{0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
  virtual HRESULT GetTypeInfoCount(std::uint32_t* count) = 0;
  virtual HRESULT GetTypeInfo(std::uint32_t index, std::uint32_t lcid, ITypeInfo** info) = 0;
  virtual HRESULT GetIDsOfNames(const IID& iid, const char16_t* const* names,
                                std::uint32_t nameCount, std::uint32_t lcid, DISPID* ids) = 0;
  virtual HRESULT Invoke(DISPID member, const IID& iid, std::uint32_t lcid, std::uint16_t flags,
                         DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                         std::uint32_t* argumentError) = 0;

 protected:
  ~IDispatch() = default;
};

struct IClassFactory : IUnknown {
  static constexpr IID kIid{0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
  virtual HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) = 0;
  virtual HRESULT LockServer(std::int32_t lock) = 0;

 protected:
  ~IClassFactory() = default;
};

// The exported entry points of a component library (extern "C").
using DllGetClassObjectFn = HRESULT (*)(const CLSID* clsid, const IID* iid, void** object);
using DllCanUnloadNowFn = HRESULT (*)();
using DllRegisterServerFn = HRESULT (*)();
using DllUnregisterServerFn = HRESULT (*)();

}  // namespace platform::com

namespace platform {

// UTF-8 <-> UTF-16. Ill-formed input becomes U+FFFD.
std::u16string Utf16FromUtf8(std::string_view utf8);
std::string Utf8FromUtf16(std::u16string_view utf16);
// Into a buffer of at least utf8.size() code units; returns the units written.
std::size_t Utf16FromUtf8(std::string_view utf8, char16_t* out);
// Replaces `out` (reusing its capacity).
void Utf8FromUtf16(std::u16string_view utf16, std::string& out);

// ---- the component registry -------------------------------------------------

struct ComponentEntry {
  std::string progId;       // e.g. "ZUVASORTMEM2.ZUVASORTMEM"
  std::string library;      // absolute path of the shared library
  std::string typeLibrary;  // e.g. "ZUVASORTMEMCLASS2"
};

// The registry file in use (see the top of this header).
std::filesystem::path ComponentRegistryPath();

// Writes or replaces the class's entry; other entries are kept. The file is
// replaced atomically. Failures carry the run-time error number.
Status RegisterComponent(const com::CLSID& clsid, const ComponentEntry& entry);
// Removes the class's entry (Ok also when there was none).
Status UnregisterComponent(const com::CLSID& clsid);
// The class's entry, or nothing when the class is not registered.
std::optional<ComponentEntry> LookUpComponent(const com::CLSID& clsid);

// ---- creation ---------------------------------------------------------------

// "ActiveX component can't create object": the run-time error number every
// creation failure carries.
inline constexpr int kCannotCreateObject = 429;

// One library file that creation tried, and why it could not use it.
struct TriedLibrary {
  enum Problem {
    kMissing,        // no such file
    kNotLoadable,    // the file is there but does not load (reason in `why`)
    kNoEntryPoints,  // loaded, but no DllGetClassObject / DllCanUnloadNow
  };
  std::string path;
  Problem problem = kMissing;
  bool registered = false;  // the registry's entry (else a library beside the program)
  std::string why;          // the loader's message, for kNotLoadable
};

struct CreateResult {
  Status status;                     // Ok, or kCannotCreateObject
  com::HRESULT hresult = com::S_OK;  // REGDB_E_CLASSNOTREG, CO_E_DLLNOTFOUND, ...
  std::string detail;                // for a log or a developer, not for the user
  // The library files tried before the one that served (all of them on a
  // failure), in the order tried.
  std::vector<TriedLibrary> tried;
  std::string library;  // the library that served, on success
};

// The folder of the running executable (/proc/self/exe), empty if unknown.
std::filesystem::path ExecutableDirectory();

// Where a library is looked for when the registry does not lead to a usable
// one: the program's private folder <executable folder>/../lib/velunor2, then
// <executable folder>/../lib, the executable folder itself, and last the
// private folder of the installation the program was built for
// (<install prefix>/lib/velunor2); paths normalised, without duplicates.
std::vector<std::filesystem::path> ComponentFallbackDirectories();

// The first file `fileName` in ComponentFallbackDirectories(), empty if none.
std::filesystem::path FindBesideProgram(std::string_view fileName);

// For tests: replaces the folders above (nullopt restores them).
void SetComponentFallbackDirectoriesForTesting(
    std::optional<std::vector<std::filesystem::path>> directories);

// Looks the class up in the registry, loads its library (once), asks its
// DllGetClassObject for the class factory and the factory for interface
// `iid`. When the class is not registered or its library cannot be used and
// `fallbackLibrary` (a file name such as "ZUVASORTMEM2.so") is given, the
// library of that name in ComponentFallbackDirectories() is used instead.
// The registry is only read. On success *object holds one reference. Never
// throws.
CreateResult CreateInstance(const com::CLSID& clsid, const com::IID& iid, void** object,
                            std::string_view fallbackLibrary = {});

// Unloads every loaded component library whose DllCanUnloadNow answers S_OK.
void FreeUnusedLibraries();

// Number of component libraries currently loaded by CreateInstance.
std::size_t LoadedComponentLibraries();

// Holds one reference to an interface; releasing the last lets the library
// unload (Reset() calls FreeUnusedLibraries after Release).
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { Reset(); }
  ComPtr(const ComPtr& other) : p_(other.p_) {
    if (p_ != nullptr) p_->AddRef();
  }
  ComPtr& operator=(const ComPtr& other) {
    ComPtr copy(other);
    std::swap(p_, copy.p_);
    return *this;
  }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    ComPtr moved(std::move(other));
    std::swap(p_, moved.p_);
    return *this;
  }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // Takes over a reference the caller already holds.
  void Attach(T* p) {
    Reset();
    p_ = p;
  }
  void Reset() {
    if (T* p = std::exchange(p_, nullptr)) {
      p->Release();
      FreeUnusedLibraries();
    }
  }

  // QueryInterface for another interface of the same object.
  template <class U>
  com::HRESULT As(ComPtr<U>& out) const {
    if (p_ == nullptr) return com::E_POINTER;
    void* q = nullptr;
    const com::HRESULT hr = p_->QueryInterface(U::kIid, &q);
    if (com::Succeeded(hr)) out.Attach(static_cast<U*>(q));
    return hr;
  }

 private:
  T* p_ = nullptr;
};

// CreateInstance for interface T (T::kIid); `out` is left empty on failure.
template <class T>
CreateResult CreateObject(const com::CLSID& clsid, ComPtr<T>& out,
                          std::string_view fallbackLibrary = {}) {
  out.Reset();
  void* object = nullptr;
  CreateResult result = CreateInstance(clsid, T::kIid, &object, fallbackLibrary);
  if (result.status.ok()) out.Attach(static_cast<T*>(object));
  return result;
}

}  // namespace platform

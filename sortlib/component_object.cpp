// The ZUVASORTMEM class as an in-process component: the object with its two
// interfaces, the class factory and the exported entry points.

#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <limits>
#include <new>

#include "platform/component.h"
#include "sortlib/sort_form.h"
#include "sortlib/sort_job.h"
#include "sortlib/zuvasortmem.h"

namespace zuvasort {
namespace {

using namespace platform::com;

std::atomic<long> liveObjects{0};
std::atomic<long> serverLocks{0};

struct Member {
  std::u16string_view name;
  DISPID id;
};
constexpr Member kMembers[] = {
    {u"ZUVASORTMEM_DATA", kDispData},   {u"ZUVASORTMEM_PARAM", kDispParam},
    {u"MAX_KEY_AREA", kDispMaxKeyArea}, {u"ZUVASORTMEM_GET", kDispGet},
    {u"ZUVASORTMEM_PUT", kDispPut},     {u"ZUVASORTMEM_MAIN", kDispMain},
    {u"ZUVASORTMEM_OPEN", kDispOpen},   {u"ZUVASORTMEM_CLOSE", kDispClose},
};

bool SameNameIgnoringCase(std::u16string_view a, const char16_t* b) {
  std::size_t i = 0;
  for (; i < a.size(); ++i) {
    char16_t x = a[i];
    char16_t y = b[i];
    if (y == 0) return false;
    if (x >= u'a' && x <= u'z') x = static_cast<char16_t>(x - 32);
    if (y >= u'a' && y <= u'z') y = static_cast<char16_t>(y - 32);
    if (x != y) return false;
  }
  return b[i] == 0;
}

std::u16string DecimalText(std::int64_t value) {
  std::u16string text;
  for (char c : std::to_string(value)) text.push_back(static_cast<char16_t>(c));
  return text;
}

// Automation's coercions for the types this interface takes.
HRESULT ToText(const VARIANT& v, std::u16string& out) {
  switch (v.vt) {
    case VT_BSTR:
      out = BstrView(v.bstrVal);
      return S_OK;
    case VT_EMPTY:
      out.clear();
      return S_OK;
    case VT_I2:
      out = DecimalText(v.iVal);
      return S_OK;
    case VT_I4:
      out = DecimalText(v.lVal);
      return S_OK;
    default:
      return DISP_E_TYPEMISMATCH;
  }
}

HRESULT ToInt32(const VARIANT& v, std::int32_t& out) {
  double value = 0;
  switch (v.vt) {
    case VT_EMPTY:
      out = 0;
      return S_OK;
    case VT_I2:
      out = v.iVal;
      return S_OK;
    case VT_I4:
      out = v.lVal;
      return S_OK;
    case VT_BOOL:
      out = v.boolVal != 0 ? -1 : 0;
      return S_OK;
    case VT_R8:
      value = v.dblVal;
      break;
    case VT_BSTR: {
      const std::string text = platform::Utf8FromUtf16(BstrView(v.bstrVal));
      const std::size_t first = text.find_first_not_of(' ');
      const std::size_t last = text.find_last_not_of(' ');
      if (first == std::string::npos) return DISP_E_TYPEMISMATCH;
      const char* begin = text.data() + first + (text[first] == '+' ? 1 : 0);
      const char* end = text.data() + last + 1;
      const auto [stop, error] = std::from_chars(begin, end, value);
      if (error != std::errc() || stop != end) return DISP_E_TYPEMISMATCH;
      break;
    }
    default:
      return DISP_E_TYPEMISMATCH;
  }
  value = std::nearbyint(value);
  if (!(value >= std::numeric_limits<std::int32_t>::min() &&
        value <= std::numeric_limits<std::int32_t>::max())) {
    return DISP_E_OVERFLOW;
  }
  out = static_cast<std::int32_t>(value);
  return S_OK;
}

void SetInt32(VARIANT* result, std::int32_t value) {
  if (result == nullptr) return;
  VariantClear(result);
  result->vt = VT_I4;
  result->lVal = value;
}

HRESULT SetText(VARIANT* result, std::u16string_view text) {
  if (result == nullptr) return S_OK;
  VariantClear(result);
  BSTR b = SysAllocString(text);
  if (b == nullptr) return E_OUTOFMEMORY;
  result->vt = VT_BSTR;
  result->bstrVal = b;
  return S_OK;
}

// Runs a member, turning an exception into an automation failure: nothing
// may unwind across the interface.
template <class F>
HRESULT Guarded(F&& f) {
  try {
    return f();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

class ZuvaSortMemObject final : public _ZUVASORTMEM,
                                public IZuvaSortMemHost,
                                public IZuvaSortMemBatch {
 public:
  ZuvaSortMemObject() : job_(view_) { ++liveObjects; }
  ~ZuvaSortMemObject() { --liveObjects; }

  // IUnknown (shared by both interfaces)
  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IUnknown::kIid || iid == IDispatch::kIid || iid == _ZUVASORTMEM::kIid) {
      *object = static_cast<_ZUVASORTMEM*>(this);
    } else if (iid == IZuvaSortMemHost::kIid) {
      *object = static_cast<IZuvaSortMemHost*>(this);
    } else if (iid == IZuvaSortMemBatch::kIid) {
      *object = static_cast<IZuvaSortMemBatch*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  std::uint32_t AddRef() override { return ++refs_; }
  std::uint32_t Release() override {
    const std::uint32_t left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  // IDispatch
  HRESULT GetTypeInfoCount(std::uint32_t* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT GetTypeInfo(std::uint32_t, std::uint32_t, ITypeInfo** info) override {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT GetIDsOfNames(const IID& iid, const char16_t* const* names, std::uint32_t nameCount,
                        std::uint32_t, DISPID* ids) override {
    if (!(iid == kNullIid)) return DISP_E_UNKNOWNINTERFACE;
    if (names == nullptr || ids == nullptr) return E_POINTER;
    if (nameCount == 0) return S_OK;
    HRESULT hr = S_OK;
    ids[0] = DISPID_UNKNOWN;
    for (const Member& m : kMembers) {
      if (names[0] != nullptr && SameNameIgnoringCase(m.name, names[0])) ids[0] = m.id;
    }
    if (ids[0] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    for (std::uint32_t i = 1; i < nameCount; ++i) {  // the methods have no arguments
      ids[i] = DISPID_UNKNOWN;
      hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
  }
  HRESULT Invoke(DISPID member, const IID& iid, std::uint32_t, std::uint16_t flags,
                 DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                 std::uint32_t* argumentError) override {
    if (!(iid == kNullIid)) return DISP_E_UNKNOWNINTERFACE;
    return Guarded([&] { return Dispatch(member, flags, params, result, argumentError); });
  }

  // _ZUVASORTMEM
  HRESULT get_ZUVASORTMEM_DATA(BSTR* value) override {
    return GetText(job_.ZUVASORTMEM_DATA, value);
  }
  HRESULT put_ZUVASORTMEM_DATA(BSTR value) override {
    return Guarded([&] {
      AssignText(job_.ZUVASORTMEM_DATA, BstrView(value));
      return S_OK;
    });
  }
  HRESULT get_ZUVASORTMEM_PARAM(BSTR* value) override {
    return GetText(job_.ZUVASORTMEM_PARAM, value);
  }
  HRESULT put_ZUVASORTMEM_PARAM(BSTR value) override {
    return Guarded([&] {
      job_.ZUVASORTMEM_PARAM.assign(BstrView(value));
      return S_OK;
    });
  }
  HRESULT get_MAX_KEY_AREA(std::int32_t* value) override {
    if (value == nullptr) return E_POINTER;
    *value = job_.MAX_KEY_AREA;
    return S_OK;
  }
  HRESULT put_MAX_KEY_AREA(std::int32_t value) override {
    job_.MAX_KEY_AREA = value;
    return S_OK;
  }
  HRESULT ZUVASORTMEM_GET(std::int32_t* status) override {
    return Run(status, [this] { return job_.ZUVASORTMEM_GET(); });
  }
  HRESULT ZUVASORTMEM_PUT(VARIANT* status) override {
    if (status == nullptr) return E_POINTER;
    std::int32_t s = 0;
    const HRESULT hr = Run(&s, [this] { return job_.ZUVASORTMEM_PUT(); });
    if (Succeeded(hr)) SetInt32(status, s);
    return hr;
  }
  HRESULT ZUVASORTMEM_MAIN(std::int32_t* status) override {
    return Run(status, [this] { return job_.ZUVASORTMEM_MAIN(); });
  }
  HRESULT ZUVASORTMEM_OPEN(std::int32_t* status) override {
    return Run(status, [this] { return job_.ZUVASORTMEM_OPEN(); });
  }
  HRESULT ZUVASORTMEM_CLOSE(std::int32_t* status) override {
    return Run(status, [this] { return job_.ZUVASORTMEM_CLOSE(); });
  }

  // IZuvaSortMemHost
  HRESULT SetMessageSink(MessageSink sink, void* context) override {
    view_.SetMessageSink(sink, context);
    return S_OK;
  }
  HRESULT get_OrderingBytes(std::int64_t* bytes) override {
    if (bytes == nullptr) return E_POINTER;
    *bytes = static_cast<std::int64_t>(job_.OrderingBytes());
    return S_OK;
  }
  HRESULT PutBytes(const char* bytes, std::int32_t length, std::int32_t* status) override {
    if (length < 0 || (bytes == nullptr && length > 0)) return E_INVALIDARG;
    return Run(status, [&] {
      std::u16string& data = job_.ZUVASORTMEM_DATA;
      data.resize(static_cast<std::size_t>(length));
      for (std::int32_t i = 0; i < length; ++i) {
        data[static_cast<std::size_t>(i)] = static_cast<unsigned char>(bytes[i]);
      }
      return job_.ZUVASORTMEM_PUT();
    });
  }
  HRESULT GetDataBytes(char* buffer, std::int32_t capacity, std::int32_t* length) override {
    if (length == nullptr || (buffer == nullptr && capacity > 0)) return E_POINTER;
    const std::u16string& data = job_.ZUVASORTMEM_DATA;
    *length = static_cast<std::int32_t>(data.size());
    if (data.size() > static_cast<std::size_t>(std::max(capacity, 0))) return S_FALSE;
    for (char16_t c : data) {
      if (c >= 0x80) return S_FALSE;
    }
    for (std::size_t i = 0; i < data.size(); ++i) buffer[i] = static_cast<char>(data[i]);
    return S_OK;
  }

  // IZuvaSortMemBatch
  HRESULT PutLines(const char* bytes, const std::int32_t* ends, std::int32_t count,
                   std::int32_t* put, std::int32_t* status) override {
    if (put == nullptr) return E_POINTER;
    if (count < 0 || (count > 0 && (bytes == nullptr || ends == nullptr))) return E_INVALIDARG;
    for (std::int32_t k = 0; k < count; ++k) {
      if (ends[k] < (k == 0 ? 0 : ends[k - 1])) return E_INVALIDARG;
    }
    *put = 0;
    return Run(status, [&] {
      std::int32_t from = 0;
      // Data ends as the last line put, as after one PUT per line.
      auto lastLine = [&](std::string_view line) {
        std::u16string& data = job_.ZUVASORTMEM_DATA;
        data.resize(line.size());
        for (std::size_t i = 0; i < line.size(); ++i) {
          data[i] = static_cast<unsigned char>(line[i]);
        }
      };
      for (std::int32_t k = 0; k < count; ++k) {
        const std::string_view line(bytes + from, static_cast<std::size_t>(ends[k] - from));
        from = ends[k];
        const std::int32_t s = job_.PutBytes(line);
        if (s != kSortOk || k == count - 1) lastLine(line);
        if (s != kSortOk) return s;
        ++*put;
      }
      return static_cast<std::int32_t>(kSortOk);
    });
  }
  HRESULT GetLines(char* buffer, std::int32_t capacity, const char* separator,
                   std::int32_t separatorLength, std::int32_t* length, std::int32_t* pending,
                   std::int32_t* status) override {
    if (length == nullptr || pending == nullptr) return E_POINTER;
    if (capacity < 0 || separatorLength < 0 || (buffer == nullptr && capacity > 0) ||
        (separator == nullptr && separatorLength > 0)) {
      return E_INVALIDARG;
    }
    *length = 0;
    *pending = 0;
    return Run(status, [&] {
      // Data ends as the last line taken, as after one GET per line.
      std::u16string_view data;
      bool taken = false;
      for (;;) {
        std::u16string_view next;
        if (const std::int32_t s = job_.GetRecord(next); s != kSortOk) {
          if (taken) AssignText(job_.ZUVASORTMEM_DATA, data);
          return s;
        }
        data = next;
        taken = true;
        const bool ascii =
            std::all_of(data.begin(), data.end(), [](char16_t c) { return c < 0x80; });
        if (!ascii || static_cast<std::int64_t>(data.size()) + separatorLength >
                          static_cast<std::int64_t>(capacity) - *length) {
          AssignText(job_.ZUVASORTMEM_DATA, data);
          *pending = 1;
          return static_cast<std::int32_t>(kSortOk);
        }
        char* to = buffer + *length;
        for (char16_t c : data) *to++ = static_cast<char>(c);
        std::copy_n(separator, separatorLength, to);
        *length += static_cast<std::int32_t>(data.size()) + separatorLength;
      }
    });
  }

 private:
  static HRESULT GetText(const std::u16string& text, BSTR* value) {
    if (value == nullptr) return E_POINTER;
    *value = SysAllocString(text);
    return *value == nullptr ? E_OUTOFMEMORY : S_OK;
  }

  template <class F>
  static HRESULT Run(std::int32_t* status, F&& method) {
    if (status == nullptr) return E_POINTER;
    return Guarded([&] {
      *status = method();
      return S_OK;
    });
  }

  HRESULT Dispatch(DISPID member, std::uint16_t flags, DISPPARAMS* params, VARIANT* result,
                   std::uint32_t* argumentError) {
    static DISPPARAMS none{nullptr, nullptr, 0, 0};
    if (params == nullptr) params = &none;
    if ((params->cArgs > 0 && params->rgvarg == nullptr) ||
        (params->cNamedArgs > 0 && params->rgdispidNamedArgs == nullptr) ||
        params->cNamedArgs > params->cArgs) {
      return E_INVALIDARG;
    }
    const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    const bool get = (flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) != 0;

    switch (member) {
      case kDispData:
      case kDispParam:
      case kDispMaxKeyArea: {
        if (put) {
          if (params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
          if (params->cNamedArgs > 1 ||
              (params->cNamedArgs == 1 && params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)) {
            return DISP_E_NONAMEDARGS;
          }
          const VARIANT& value = params->rgvarg[0];
          HRESULT hr;
          if (member == kDispMaxKeyArea) {
            hr = ToInt32(value, job_.MAX_KEY_AREA);
          } else {
            hr =
                ToText(value, member == kDispData ? job_.ZUVASORTMEM_DATA : job_.ZUVASORTMEM_PARAM);
          }
          if (!Succeeded(hr) && argumentError != nullptr) *argumentError = 0;
          return hr;
        }
        if (!get) return DISP_E_MEMBERNOTFOUND;
        if (params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
        if (member == kDispMaxKeyArea) {
          SetInt32(result, job_.MAX_KEY_AREA);
          return S_OK;
        }
        return SetText(result,
                       member == kDispData ? job_.ZUVASORTMEM_DATA : job_.ZUVASORTMEM_PARAM);
      }
      case kDispGet:
      case kDispPut:
      case kDispMain:
      case kDispOpen:
      case kDispClose: {
        if (put || !get) return DISP_E_MEMBERNOTFOUND;
        if (params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
        std::int32_t s = 0;
        switch (member) {
          case kDispGet:
            s = job_.ZUVASORTMEM_GET();
            break;
          case kDispPut:
            s = job_.ZUVASORTMEM_PUT();
            break;
          case kDispMain:
            s = job_.ZUVASORTMEM_MAIN();
            break;
          case kDispOpen:
            s = job_.ZUVASORTMEM_OPEN();
            break;
          default:
            s = job_.ZUVASORTMEM_CLOSE();
            break;
        }
        SetInt32(result, s);
        return S_OK;
      }
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }

  std::atomic<std::uint32_t> refs_{1};
  QtJobView view_;
  ZuvaSortJob job_;
};

class ZuvaSortMemFactory final : public IClassFactory {
 public:
  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IUnknown::kIid || iid == IClassFactory::kIid) {
      *object = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // The factory is static; its references hold the library like a lock.
  std::uint32_t AddRef() override { return static_cast<std::uint32_t>(++serverLocks); }
  std::uint32_t Release() override { return static_cast<std::uint32_t>(--serverLocks); }

  HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return Guarded([&] {
      auto* created = new ZuvaSortMemObject();
      const HRESULT hr = created->QueryInterface(iid, object);
      created->Release();  // the query holds the only reference, if any
      return hr;
    });
  }
  HRESULT LockServer(std::int32_t lock) override {
    if (lock != 0) {
      ++serverLocks;
    } else {
      --serverLocks;
    }
    return S_OK;
  }
};

ZuvaSortMemFactory factory;

std::string ThisLibraryPath() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&ThisLibraryPath), &info) == 0 ||
      info.dli_fname == nullptr) {
    return {};
  }
  std::error_code ec;
  std::filesystem::path path = std::filesystem::canonical(info.dli_fname, ec);
  return ec ? std::string(info.dli_fname) : path.string();
}

}  // namespace
}  // namespace zuvasort

using namespace platform::com;

extern "C" {

__attribute__((visibility("default"))) HRESULT DllGetClassObject(const CLSID* clsid, const IID* iid,
                                                                 void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (clsid == nullptr || iid == nullptr) return E_POINTER;
  if (!(*clsid == zuvasort::kZuvaSortMemClassId)) return CLASS_E_CLASSNOTAVAILABLE;
  return zuvasort::factory.QueryInterface(*iid, object);
}

__attribute__((visibility("default"))) HRESULT DllCanUnloadNow() {
  return zuvasort::liveObjects == 0 && zuvasort::serverLocks == 0 ? S_OK : S_FALSE;
}

__attribute__((visibility("default"))) HRESULT DllRegisterServer() {
  const std::string path = zuvasort::ThisLibraryPath();
  if (path.empty()) return SELFREG_E_CLASS;
  const platform::Status s = platform::RegisterComponent(
      zuvasort::kZuvaSortMemClassId,
      {std::string(zuvasort::kProgId), path, std::string(zuvasort::kTypeLibraryName)});
  return s.ok() ? S_OK : SELFREG_E_CLASS;
}

__attribute__((visibility("default"))) HRESULT DllUnregisterServer() {
  return platform::UnregisterComponent(zuvasort::kZuvaSortMemClassId).ok() ? S_OK : SELFREG_E_CLASS;
}

}  // extern "C"

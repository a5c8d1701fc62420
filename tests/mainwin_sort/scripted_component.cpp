// A stand-in for the sort library, registered under the same class identity
// in a test registry. It orders like the real component for ASCII keys, and
// fails at the call named by VELUNOR_TEST_SORT_FAIL ("PUT:30" = every PUT
// answers 30 from the first; "PUT:30:3" = from the third PUT on).
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <string>
#include <vector>

#include "sortlib/zuvasortmem.h"

namespace {

using namespace platform::com;
using zuvasort::_ZUVASORTMEM;

std::atomic<int> liveObjects{0};

struct Failure {
  std::string call;
  std::int32_t status = 0;
  int from = 1;
};

Failure ReadFailure() {
  Failure f;
  const char* text = std::getenv("VELUNOR_TEST_SORT_FAIL");
  if (text == nullptr) return f;
  std::string s(text);
  const auto first = s.find(':');
  if (first == std::string::npos) return f;
  f.call = s.substr(0, first);
  const auto second = s.find(':', first + 1);
  f.status = std::atoi(s.substr(first + 1, second - first - 1).c_str());
  if (second != std::string::npos) f.from = std::atoi(s.substr(second + 1).c_str());
  return f;
}

class ScriptedSort final : public _ZUVASORTMEM {
 public:
  ScriptedSort() : failure_(ReadFailure()) { ++liveObjects; }

  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (iid == IUnknown::kIid || iid == IDispatch::kIid || iid == _ZUVASORTMEM::kIid) {
      *object = this;
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  std::uint32_t AddRef() override { return ++refs_; }
  std::uint32_t Release() override {
    const std::uint32_t left = --refs_;
    if (left == 0) {
      --liveObjects;
      delete this;
    }
    return left;
  }
  HRESULT GetTypeInfoCount(std::uint32_t* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT GetTypeInfo(std::uint32_t, std::uint32_t, ITypeInfo**) override {
    return DISP_E_BADINDEX;
  }
  HRESULT GetIDsOfNames(const IID&, const char16_t* const*, std::uint32_t, std::uint32_t,
                        DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT Invoke(DISPID, const IID&, std::uint32_t, std::uint16_t, DISPPARAMS*, VARIANT*,
                 EXCEPINFO*, std::uint32_t*) override {
    return DISP_E_MEMBERNOTFOUND;
  }

  HRESULT get_ZUVASORTMEM_DATA(BSTR* value) override {
    *value = SysAllocString(data_);
    return S_OK;
  }
  HRESULT put_ZUVASORTMEM_DATA(BSTR value) override {
    data_ = std::u16string(BstrView(value));
    return S_OK;
  }
  HRESULT get_ZUVASORTMEM_PARAM(BSTR* value) override {
    *value = SysAllocString(param_);
    return S_OK;
  }
  HRESULT put_ZUVASORTMEM_PARAM(BSTR value) override {
    param_ = std::u16string(BstrView(value));
    return S_OK;
  }
  HRESULT get_MAX_KEY_AREA(std::int32_t* value) override {
    *value = 0;
    return S_OK;
  }
  HRESULT put_MAX_KEY_AREA(std::int32_t) override { return S_OK; }

  HRESULT ZUVASORTMEM_GET(std::int32_t* status) override {
    if (Fails("GET", *status)) return S_OK;
    if (next_ >= records_.size()) {
      *status = 99;
      return S_OK;
    }
    data_ = records_[next_++];
    *status = 0;
    return S_OK;
  }
  HRESULT ZUVASORTMEM_PUT(VARIANT* result) override {
    std::int32_t status = 0;
    if (!Fails("PUT", status)) records_.push_back(data_);
    result->vt = VT_I4;
    result->lVal = status;
    return S_OK;
  }
  HRESULT ZUVASORTMEM_MAIN(std::int32_t* status) override {
    if (Fails("MAIN", *status)) return S_OK;
    // "1,L,A": the first L characters, ascending, stable.
    const std::size_t length =
        param_.size() > 2 ? std::stoul(std::string(param_.begin() + 2, param_.end())) : 6;
    std::stable_sort(records_.begin(), records_.end(), [length](const auto& a, const auto& b) {
      return a.substr(0, length) < b.substr(0, length);
    });
    *status = 0;
    return S_OK;
  }
  HRESULT ZUVASORTMEM_OPEN(std::int32_t* status) override {
    if (Fails("OPEN", *status)) return S_OK;
    *status = 0;
    return S_OK;
  }
  HRESULT ZUVASORTMEM_CLOSE(std::int32_t* status) override {
    if (Fails("CLOSE", *status)) return S_OK;
    *status = 0;
    return S_OK;
  }

 private:
  bool Fails(const char* call, std::int32_t& status) {
    if (failure_.call != call) return false;
    if (++calls_ < failure_.from) return false;
    status = failure_.status;
    return true;
  }

  std::atomic<std::uint32_t> refs_{1};
  Failure failure_;
  int calls_ = 0;
  std::u16string data_;
  std::u16string param_;
  std::vector<std::u16string> records_;
  std::size_t next_ = 0;
};

class Factory final : public IClassFactory {
 public:
  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (iid == IUnknown::kIid || iid == IClassFactory::kIid) {
      *object = this;
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  std::uint32_t AddRef() override { return 1; }
  std::uint32_t Release() override { return 1; }
  HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) override {
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    auto* sort = new ScriptedSort;
    const HRESULT hr = sort->QueryInterface(iid, object);
    sort->Release();
    return hr;
  }
  HRESULT LockServer(std::int32_t) override { return S_OK; }
};

Factory factory;

}  // namespace

extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(const CLSID* clsid,
                                                                            const IID* iid,
                                                                            void** object) {
  if (!(*clsid == zuvasort::kZuvaSortMemClassId)) return CLASS_E_CLASSNOTAVAILABLE;
  return factory.QueryInterface(*iid, object);
}

extern "C" __attribute__((visibility("default"))) HRESULT DllCanUnloadNow() {
  return liveObjects == 0 ? S_OK : S_FALSE;
}

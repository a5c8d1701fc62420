// The object as an automation client sees it: interface query, names,
// Invoke for every member.

#include "fixture.h"

namespace sortlib_test {
namespace {

using namespace platform::com;

class Automation : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(j.created.status.ok()) << j.created.detail;
    void* p = nullptr;
    ASSERT_EQ(j.job.Object()->QueryInterface(IDispatch::kIid, &p), S_OK);
    dispatch = static_cast<IDispatch*>(p);
  }
  void TearDown() override {
    if (dispatch) dispatch->Release();
  }

  DISPID Id(const char16_t* name) {
    DISPID id = 12345;
    EXPECT_EQ(dispatch->GetIDsOfNames(kNullIid, &name, 1, 0, &id), S_OK);
    return id;
  }
  // A method call or property get; the result variant.
  VARIANT Call(const char16_t* name, std::uint16_t flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET) {
    VARIANT result;
    VariantInit(&result);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(dispatch->Invoke(Id(name), kNullIid, 0, flags, &none, &result, nullptr, nullptr),
              S_OK);
    return result;
  }
  std::int32_t Status(const char16_t* name) {
    VARIANT v = Call(name);
    EXPECT_EQ(v.vt, VT_I4);
    return v.lVal;
  }
  HRESULT Put(const char16_t* name, VARIANT value) {
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS args{&value, &named, 1, 1};
    return dispatch->Invoke(Id(name), kNullIid, 0, DISPATCH_PROPERTYPUT, &args, nullptr, nullptr,
                            nullptr);
  }
  HRESULT PutText(const char16_t* name, std::u16string_view text) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(text);
    const HRESULT hr = Put(name, v);
    VariantClear(&v);
    return hr;
  }

  RecordedJob j;
  IDispatch* dispatch = nullptr;
};

TEST_F(Automation, AWholeJobByName) {
  ASSERT_EQ(PutText(u"zuvasortmem_param", u"1,1,D"), S_OK);
  EXPECT_EQ(Status(u"ZUVASORTMEM_OPEN"), 0);
  VARIANT area = Call(u"MAX_KEY_AREA", DISPATCH_PROPERTYGET);
  EXPECT_EQ(area.vt, VT_I4);
  EXPECT_EQ(area.lVal, 1);
  for (const char16_t* r : {u"a\u4E00", u"c", u"b"}) {
    ASSERT_EQ(PutText(u"ZUVASORTMEM_DATA", r), S_OK);
    VARIANT put = Call(u"ZUVASORTMEM_PUT");
    EXPECT_EQ(put.vt, VT_I4);  // PUT's status comes in a variant
    EXPECT_EQ(put.lVal, 0);
  }
  EXPECT_EQ(Status(u"ZUVASORTMEM_MAIN"), 0);
  std::vector<std::u16string> out;
  while (Status(u"ZUVASORTMEM_GET") == 0) {
    VARIANT data = Call(u"ZUVASORTMEM_DATA", DISPATCH_PROPERTYGET);
    ASSERT_EQ(data.vt, VT_BSTR);
    out.emplace_back(BstrView(data.bstrVal));
    VariantClear(&data);
  }
  EXPECT_EQ(out, (std::vector<std::u16string>{u"c", u"b", u"a\u4E00"}));
  VARIANT param = Call(u"ZUVASORTMEM_PARAM", DISPATCH_PROPERTYGET);
  EXPECT_EQ(BstrView(param.bstrVal), u"1,1,D");
  VariantClear(&param);
  EXPECT_EQ(Status(u"ZUVASORTMEM_CLOSE"), 0);
}

TEST_F(Automation, NoTypeInformationAndUnknownNames) {
  std::uint32_t count = 9;
  EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 0u);
  ITypeInfo* info = reinterpret_cast<ITypeInfo*>(this);
  EXPECT_EQ(dispatch->GetTypeInfo(0, 0, &info), DISP_E_BADINDEX);
  EXPECT_EQ(info, nullptr);

  const char16_t* name = u"ZUVASORTMEM_SORT";
  DISPID id = 0;
  EXPECT_EQ(dispatch->GetIDsOfNames(kNullIid, &name, 1, 0, &id), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(id, DISPID_UNKNOWN);
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXPECT_EQ(dispatch->Invoke(99, kNullIid, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
            DISP_E_MEMBERNOTFOUND);
}

TEST_F(Automation, ArgumentsAreChecked) {
  VARIANT arg;
  VariantInit(&arg);
  arg.vt = VT_I4;
  DISPPARAMS one{&arg, nullptr, 1, 0};
  EXPECT_EQ(dispatch->Invoke(Id(u"ZUVASORTMEM_OPEN"), kNullIid, 0, DISPATCH_METHOD, &one, nullptr,
                             nullptr, nullptr),
            DISP_E_BADPARAMCOUNT);
  // A number as text coerces to MAX_KEY_AREA; other text does not.
  EXPECT_EQ(PutText(u"MAX_KEY_AREA", u" 12 "), S_OK);
  EXPECT_EQ(j.job.MaxKeyArea(), 12);
  EXPECT_EQ(PutText(u"MAX_KEY_AREA", u"twelve"), DISP_E_TYPEMISMATCH);
  VARIANT big;
  VariantInit(&big);
  big.vt = VT_R8;
  big.dblVal = 3e9;
  EXPECT_EQ(Put(u"MAX_KEY_AREA", big), DISP_E_OVERFLOW);
  EXPECT_EQ(j.job.MaxKeyArea(), 12);
}

TEST_F(Automation, InterfacesOfOneObject) {
  void* unknown1 = nullptr;
  void* unknown2 = nullptr;
  void* host = nullptr;
  ASSERT_EQ(dispatch->QueryInterface(IUnknown::kIid, &unknown1), S_OK);
  ASSERT_EQ(dispatch->QueryInterface(zuvasort::IZuvaSortMemHost::kIid, &host), S_OK);
  ASSERT_EQ(
      static_cast<zuvasort::IZuvaSortMemHost*>(host)->QueryInterface(IUnknown::kIid, &unknown2),
      S_OK);
  EXPECT_EQ(unknown1, unknown2);  // one identity
  void* none = this;
  EXPECT_EQ(dispatch->QueryInterface(IClassFactory::kIid, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  static_cast<IUnknown*>(unknown1)->Release();
  static_cast<IUnknown*>(unknown2)->Release();
  static_cast<zuvasort::IZuvaSortMemHost*>(host)->Release();
}

// The host's byte path: a line is a string of bytes, each one character; it
// orders and comes back exactly as the same line over the UTF-8 strings, an
// ASCII line as bytes and any other through the string property.
TEST(BytePath, LinesComeBackAsTheyWentIn) {
  const std::string longLine = "c" + std::string(200, '9');  // beyond the first buffer
  const struct {
    std::string line;
    bool asBytes;  // handed over on the byte path
  } lines[] = {
      {"b2", true},     {"\u4E00z", false},       {"a3", true},
      {longLine, true}, {"\xEF\xBD\xB1x", false},  // half-width katakana: one character
      {"a1", true},
  };
  RecordedJob j;
  ASSERT_EQ(j.Load("1,1", {}), 0);
  zuvasort::IZuvaSortMemHost* host = j.job.Host();
  for (const auto& l : lines) {
    std::int32_t status = -1;
    if (l.asBytes) {
      ASSERT_EQ(host->PutBytes(l.line.data(), static_cast<std::int32_t>(l.line.size()), &status),
                S_OK);
    } else {
      status = j.job.Put(l.line);
    }
    ASSERT_EQ(status, 0) << l.line;
  }
  ASSERT_EQ(j.job.Main(), 0);
  // U+4E00 sorts before "a" (its bytes exchanged), U+FF71 after "c".
  EXPECT_EQ(j.GetAll(),
            (std::vector<std::string>{"\u4E00z", "a3", "a1", "b2", longLine, "\xEF\xBD\xB1x"}));
  EXPECT_EQ(j.job.Close(), 0);
  EXPECT_TRUE(j.boxes.empty());
}

TEST(BytePath, BytesAreCharactersAndOnlyAsciiComesBackAsBytes) {
  RecordedJob j;
  ASSERT_EQ(j.Load("1,2", {}), 0);
  zuvasort::IZuvaSortMemHost* host = j.job.Host();
  std::int32_t status = -1;
  EXPECT_EQ(host->PutBytes("\xE9x", 2, &status), S_OK);  // U+00E9, "x"
  EXPECT_EQ(status, 0);
  EXPECT_EQ(host->PutBytes("a", 1, &status), S_OK);  // shorter than the key
  EXPECT_EQ(status, zuvasort::kShortRecord);
  EXPECT_EQ(host->PutBytes(nullptr, -1, &status), E_INVALIDARG);

  RecordedJob k;
  ASSERT_EQ(k.Load("1,1", {"\xC3\xA9", "ab"}), 0);
  ASSERT_EQ(k.job.Main(), 0);
  char buffer[8];
  std::int32_t length = -1;
  ASSERT_EQ(k.job.Get(), 0);
  EXPECT_EQ(k.job.Host()->GetDataBytes(buffer, sizeof buffer, &length), S_OK);
  EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(length)), "ab");
  EXPECT_EQ(k.job.Host()->GetDataBytes(buffer, 1, &length), S_FALSE);  // too small
  EXPECT_EQ(length, 2);
  ASSERT_EQ(k.job.Get(), 0);
  EXPECT_EQ(k.job.Host()->GetDataBytes(buffer, sizeof buffer, &length), S_FALSE);
  EXPECT_EQ(k.job.Data(), "\xC3\xA9");  // "é" through the string property
  EXPECT_EQ(k.job.Close(), 0);
}

}  // namespace
}  // namespace sortlib_test

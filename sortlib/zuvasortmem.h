#pragma once

// The interface of the sort component ZUVASORTMEM2 (class ZUVASORTMEM,
// interface _ZUVASORTMEM, type library ZUVASORTMEMCLASS2). Callers include
// this header and link velunor_component only; the library is loaded when an
// object is created (see platform/component.h).
//
// One job per object:
//   1. create the object       5. ZUVASORTMEM_MAIN
//   2. put ZUVASORTMEM_PARAM   6. ZUVASORTMEM_GET until 99, reading
//   3. ZUVASORTMEM_OPEN           ZUVASORTMEM_DATA after every 0
//   4. per record: put         7. ZUVASORTMEM_CLOSE
//      ZUVASORTMEM_DATA, then  8. release the object
//      ZUVASORTMEM_PUT
// Every method returns a status (below) as its result; a status is never an
// automation error. A non-zero status other than 99 from GET is sticky: every
// later call returns it again, and the object is only good for releasing.
//
// Key parameter (ZUVASORTMEM_PARAM): keys "start,length[,order]"
// separated by ":" or ";", at most 25; start and length 1-based characters,
// order "A" ascending, any other character descending (only its first
// character counts). "1,6,A", "1,10", "1,6,A:7,4,D". OPEN computes
// MAX_KEY_AREA, the shortest record that covers every key.
//
// Ordering: by key 1, then key 2, ...; within a key character by character,
// each UTF-16 code unit compared with its two bytes exchanged (U+4E00 sorts
// before "0"); records equal in every key keep their PUT order.
//
// While a job is open and the process has a Qt application on the calling
// thread, the library shows its progress window ZUVASORTMEMFORM with a stop
// button; the button is noticed by the next PUT, MAIN or GET (status 90).

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/component.h"
#include "platform/ui.h"

namespace zuvasort {

using platform::com::BSTR;
using platform::com::HRESULT;
using platform::com::IID;
using platform::com::VARIANT;

inline constexpr platform::com::CLSID kZuvaSortMemClassId{
    0x05d53e3b, 0xd103, 0x4962, {0x9e, 0x45, 0x97, 0x30, 0x9c, 0x18, 0x9f, 0x9a}};
inline constexpr IID kZuvaSortMemInterfaceId{
    0x8b70cee3, 0x6ccb, 0x4225, {0x91, 0xed, 0xcd, 0x04, 0xbd, 0xfe, 0xd9, 0xdd}};
inline constexpr IID kZuvaSortMemHostInterfaceId{
    0xd67a14d0, 0x4f43, 0x4bd3, {0x85, 0x54, 0x0a, 0x0a, 0xa6, 0x1a, 0x8e, 0x2b}};
inline constexpr IID kZuvaSortMemBatchInterfaceId{
    0x3f1c62a9, 0x0d57, 0x4b8e, {0x9a, 0x41, 0x6e, 0x2d, 0xc0, 0x73, 0x18, 0xb5}};

inline constexpr std::string_view kProgId = "ZUVASORTMEM2.ZUVASORTMEM";
inline constexpr std::string_view kTypeLibraryName = "ZUVASORTMEMCLASS2";
// The library's file name: built and installed in ../lib/velunor2 from the
// program, where creation finds it when the registry does not lead to it.
inline constexpr std::string_view kLibraryFileName = "ZUVASORTMEM2.so";

// Status codes returned by the methods.
enum SortStatus : std::int32_t {
  kSortOk = 0,
  kEmptyData = 20,         // PUT of an empty record (only when MAX_KEY_AREA <= 0)
  kBadKeyParam = 21,       // OPEN rejected ZUVASORTMEM_PARAM
  kShortRecord = 22,       // PUT of a record shorter than the keys reach (no message)
  kTooManyRecords = 30,    // PUT of record 100,001
  kPutBeforeOpen = 31,     // PUT on an object not open
  kGetBeforeOpen = 32,     // GET on an object not open
  kCloseBeforeOpen = 33,   // CLOSE on an object not open
  kMainBeforeOpen = 34,    // MAIN on an object not open
  kGetBeforeMain = 40,     // GET before MAIN
  kPutAfterMain = 41,      // PUT after MAIN
  kMainTwice = 42,         // a second MAIN
  kMainWithoutData = 43,   // MAIN with no record put
  kStopped = 90,           // the stop button of the progress window
  kEndOfData = 99,         // GET past the last record (not sticky)
  kOutOfMemory = 7,        // PUT or MAIN could not allocate (sticky, no message)
  kAutomationError = 440,  // SortJob only: a call failed as an automation error
};

inline constexpr std::int32_t kMaxRecords = 100000;
inline constexpr std::int32_t kMaxKeys = 25;

// Member identities for IDispatch (GetIDsOfNames answers these, ignoring case).
enum DispId : platform::com::DISPID {
  kDispData = 1,        // ZUVASORTMEM_DATA      property, string
  kDispParam = 2,       // ZUVASORTMEM_PARAM     property, string
  kDispMaxKeyArea = 3,  // MAX_KEY_AREA          property, 32-bit integer
  kDispGet = 4,         // ZUVASORTMEM_GET       method -> VT_I4
  kDispPut = 5,         // ZUVASORTMEM_PUT       method -> variant (VT_I4)
  kDispMain = 6,        // ZUVASORTMEM_MAIN      method -> VT_I4
  kDispOpen = 7,        // ZUVASORTMEM_OPEN      method -> VT_I4
  kDispClose = 8,       // ZUVASORTMEM_CLOSE     method -> VT_I4
};

// The dual interface: after IDispatch, the members in this order. Property
// gets hand over a new BSTR the caller frees; property puts copy their value.
// GetTypeInfoCount answers 0 and GetTypeInfo DISP_E_BADINDEX: there is no
// loadable type information.
struct _ZUVASORTMEM : platform::com::IDispatch {
  static constexpr IID kIid = kZuvaSortMemInterfaceId;
  virtual HRESULT get_ZUVASORTMEM_DATA(BSTR* value) = 0;
  virtual HRESULT put_ZUVASORTMEM_DATA(BSTR value) = 0;
  virtual HRESULT get_ZUVASORTMEM_PARAM(BSTR* value) = 0;
  virtual HRESULT put_ZUVASORTMEM_PARAM(BSTR value) = 0;
  virtual HRESULT get_MAX_KEY_AREA(std::int32_t* value) = 0;
  virtual HRESULT put_MAX_KEY_AREA(std::int32_t value) = 0;
  virtual HRESULT ZUVASORTMEM_GET(std::int32_t* status) = 0;
  virtual HRESULT ZUVASORTMEM_PUT(VARIANT* status) = 0;
  virtual HRESULT ZUVASORTMEM_MAIN(std::int32_t* status) = 0;
  virtual HRESULT ZUVASORTMEM_OPEN(std::int32_t* status) = 0;
  virtual HRESULT ZUVASORTMEM_CLOSE(std::int32_t* status) = 0;

 protected:
  ~_ZUVASORTMEM() = default;
};

// Where the library's message boxes go instead of its own Qt boxes. `prompt`
// and `title` are zero-terminated UTF-16; `style` is 0 (OK, no icon). The
// answer is ignored.
using MessageSink = std::int32_t (*)(void* context, const char16_t* prompt, const char16_t* title,
                                     std::int32_t style);

// A second interface of the same object (QueryInterface) for the host.
// Without a sink the library shows its own boxes when a Qt application runs
// on the calling thread, and writes "title: message" to standard error
// otherwise.
struct IZuvaSortMemHost : platform::com::IUnknown {
  static constexpr IID kIid = kZuvaSortMemHostInterfaceId;
  // A null sink restores the library's own boxes.
  virtual HRESULT SetMessageSink(MessageSink sink, void* context) = 0;
  // Bytes the last MAIN allocated for its ordering arrays (0 before MAIN).
  virtual HRESULT get_OrderingBytes(std::int64_t* bytes) = 0;
  // ZUVASORTMEM_DATA = the `length` bytes at `bytes`, each byte one character
  // (U+0000..U+00FF), then PUT; the status as PUT returns it.
  virtual HRESULT PutBytes(const char* bytes, std::int32_t length, std::int32_t* status) = 0;
  // ZUVASORTMEM_DATA as bytes: S_OK with `*length` bytes written to `buffer`
  // when every character is ASCII and they fit `capacity`; S_FALSE with
  // nothing written otherwise (`*length` is then the characters' count), when
  // the caller reads the property instead.
  virtual HRESULT GetDataBytes(char* buffer, std::int32_t capacity, std::int32_t* length) = 0;

 protected:
  ~IZuvaSortMemHost() = default;
};

// A third interface of the same object (QueryInterface; libraries built
// before it answer E_NOINTERFACE): many lines per call, as bytes. Each line
// goes through PUT or GET exactly as one call would, progress window and
// stop button included.
struct IZuvaSortMemBatch : platform::com::IUnknown {
  static constexpr IID kIid = kZuvaSortMemBatchInterfaceId;
  // Line k is bytes[ends[k-1] .. ends[k]) (ends[-1] = 0), each byte one
  // character as PutBytes takes it. PUT of each line in turn, stopping at
  // the first status that is not 0: `*status` is that status (0 when every
  // line was put) and `*put` the lines that returned 0.
  virtual HRESULT PutLines(const char* bytes, const std::int32_t* ends, std::int32_t count,
                           std::int32_t* put, std::int32_t* status) = 0;
  // GET after GET, each line that is ASCII written to `buffer` followed by
  // the `separatorLength` bytes of `separator`, until a GET returns a status
  // that is not 0 (`*status`; 99 at the end), or a line is not ASCII or
  // would not fit `capacity` (`*status` 0 and `*pending` 1: that line is in
  // ZUVASORTMEM_DATA, not in `buffer`). `*length` receives the bytes written.
  virtual HRESULT GetLines(char* buffer, std::int32_t capacity, const char* separator,
                           std::int32_t separatorLength, std::int32_t* length,
                           std::int32_t* pending, std::int32_t* status) = 0;

 protected:
  ~IZuvaSortMemBatch() = default;
};

// A job on one ZUVASORTMEM object, with UTF-8 strings. Every call returns the
// component's status; a call on an object that was not created returns
// kAutomationError. Link velunor_component.
class SortJob {
 public:
  SortJob() = default;

  // Creates the object by class identity: the registered library, else
  // kLibraryFileName beside the program. The status is Ok or
  // platform::kCannotCreateObject (429); hresult, detail and tried say why
  // (LibraryMissingMessage makes the user's message of it).
  platform::CreateResult Create() {
    host_.Reset();
    platform::CreateResult r =
        platform::CreateObject(kZuvaSortMemClassId, object_, kLibraryFileName);
    if (r.status.ok()) {
      object_.As(host_);
      object_.As(batch_);
    }
    return r;
  }
  bool IsCreated() const { return static_cast<bool>(object_); }

  // The library's message boxes (title and text unchanged) go through `ui`,
  // which must outlive the job.
  void RouteMessagesTo(platform::Ui& ui) {
    if (host_) host_->SetMessageSink(&SinkToUi, &ui);
  }
  // Low-level access for callers that need their own sink.
  IZuvaSortMemHost* Host() const { return host_.get(); }
  IZuvaSortMemBatch* Batch() const { return batch_.get(); }
  _ZUVASORTMEM* Object() const { return object_.get(); }

  std::int32_t SetParam(std::string_view utf8) {
    if (!object_) return kAutomationError;
    platform::com::Bstr value(platform::Utf16FromUtf8(utf8));
    return FromHr(object_->put_ZUVASORTMEM_PARAM(value.get()));
  }
  std::int32_t SetData(std::string_view utf8) {
    if (!object_) return kAutomationError;
    if (!scratch_.AssignUtf8(utf8)) return kOutOfMemory;
    return FromHr(object_->put_ZUVASORTMEM_DATA(scratch_.get()));
  }
  std::string Data() const {
    std::string out;
    Data(out);
    return out;
  }
  // ZUVASORTMEM_DATA into `out` (reusing its capacity).
  void Data(std::string& out) const {
    out.clear();
    if (!object_) return;
    BSTR value = nullptr;
    if (!platform::com::Succeeded(object_->get_ZUVASORTMEM_DATA(&value))) return;
    platform::Utf8FromUtf16(platform::com::BstrView(value), out);
    platform::com::SysFreeString(value);
  }
  std::int32_t MaxKeyArea() const {
    std::int32_t area = 0;
    if (object_) object_->get_MAX_KEY_AREA(&area);
    return area;
  }

  std::int32_t Open() { return Call(&_ZUVASORTMEM::ZUVASORTMEM_OPEN); }
  std::int32_t Main() { return Call(&_ZUVASORTMEM::ZUVASORTMEM_MAIN); }
  std::int32_t Close() { return Call(&_ZUVASORTMEM::ZUVASORTMEM_CLOSE); }
  std::int32_t Get() { return Call(&_ZUVASORTMEM::ZUVASORTMEM_GET); }
  std::int32_t Put() {
    if (!object_) return kAutomationError;
    VARIANT result;
    platform::com::VariantInit(&result);
    const HRESULT hr = object_->ZUVASORTMEM_PUT(&result);
    std::int32_t status = result.vt == platform::com::VT_I4 ? result.lVal : kAutomationError;
    platform::com::VariantClear(&result);
    return platform::com::Succeeded(hr) ? status : FromHr(hr);
  }
  // ZUVASORTMEM_DATA = record, then PUT. An ASCII record goes over the byte
  // path, without a UTF-16 string in between.
  std::int32_t Put(std::string_view record) {
    if (host_ && IsAscii(record) && record.size() <= kMaxBytesLength) {
      std::int32_t status = kAutomationError;
      const HRESULT hr =
          host_->PutBytes(record.data(), static_cast<std::int32_t>(record.size()), &status);
      return platform::com::Succeeded(hr) ? status : FromHr(hr);
    }
    const std::int32_t s = SetData(record);
    return s != kSortOk ? s : Put();
  }
  // GET; on 0 `record` receives ZUVASORTMEM_DATA (an ASCII record as bytes,
  // reusing the capacity of `record`).
  std::int32_t Get(std::string& record) {
    const std::int32_t s = Get();
    if (s == kSortOk && !DataBytes(record)) Data(record);
    return s;
  }
  // ZUVASORTMEM_DATA into `out` when it is ASCII; false otherwise.
  bool DataBytes(std::string& out) {
    if (!host_) return false;
    if (out.capacity() < 64) out.reserve(64);
    out.resize(out.capacity());
    std::int32_t length = 0;
    const auto capacity = static_cast<std::int32_t>(std::min(out.size(), kMaxBytesLength));
    HRESULT hr = host_->GetDataBytes(out.data(), capacity, &length);
    if (hr == platform::com::S_FALSE && length > capacity &&
        static_cast<std::size_t>(length) <= kMaxBytesLength) {
      out.resize(static_cast<std::size_t>(length));
      hr = host_->GetDataBytes(out.data(), length, &length);
    }
    if (hr != platform::com::S_OK) return false;
    out.resize(static_cast<std::size_t>(length));
    return true;
  }

  // PUT of every line of `lines`, many per call where the library can, as
  // Put(line) would; 0 or the first status that is not 0.
  std::int32_t PutLines(std::span<const std::string_view> lines) {
    std::size_t total = 0;
    bool ascii = static_cast<bool>(batch_);
    for (std::string_view line : lines) {
      total += line.size();
      ascii = ascii && IsAscii(line);
    }
    if (!ascii || total > kMaxBytesLength) {
      for (std::string_view line : lines) {
        if (const std::int32_t s = Put(line); s != kSortOk) return s;
      }
      return kSortOk;
    }
    // Lines that already lie one after another are passed where they are.
    bool adjacent = true;
    for (std::size_t k = 1; k < lines.size() && adjacent; ++k) {
      adjacent = lines[k].data() == lines[k - 1].data() + lines[k - 1].size();
    }
    const char* bytes = lines.empty() ? nullptr : lines.front().data();
    batchBytes_.clear();
    batchEnds_.clear();
    std::size_t end = 0;
    for (std::string_view line : lines) {
      if (!adjacent) batchBytes_ += line;
      end += line.size();
      batchEnds_.push_back(static_cast<std::int32_t>(end));
    }
    if (!adjacent) bytes = batchBytes_.data();
    std::int32_t put = 0;
    std::int32_t status = kAutomationError;
    const HRESULT hr = batch_->PutLines(bytes, batchEnds_.data(),
                                        static_cast<std::int32_t>(lines.size()), &put, &status);
    return platform::com::Succeeded(hr) ? status : FromHr(hr);
  }
  // GET until a status that is not 0, which it returns (99 at the end): each
  // line, in UTF-8, is appended to `out` followed by `separator`, and an
  // ASCII line passes as bytes.
  std::int32_t GetLines(std::string& out, std::string_view separator) {
    std::string line;
    if (!batch_) {
      std::int32_t s;
      while ((s = Get(line)) == kSortOk) (out += line) += separator;
      return s;
    }
    for (;;) {
      const std::size_t room = std::max<std::size_t>(out.capacity() - out.size(), 1 << 20);
      const std::size_t at = out.size();
      out.resize(at + std::min(room, kMaxBytesLength));
      std::int32_t length = 0, pending = 0, status = kAutomationError;
      const HRESULT hr = batch_->GetLines(
          out.data() + at, static_cast<std::int32_t>(out.size() - at), separator.data(),
          static_cast<std::int32_t>(separator.size()), &length, &pending, &status);
      out.resize(at + static_cast<std::size_t>(platform::com::Succeeded(hr) ? length : 0));
      if (!platform::com::Succeeded(hr)) return FromHr(hr);
      if (status != kSortOk) return status;
      if (pending) {
        Data(line);
        (out += line) += separator;
      }
    }
  }

  // Releases the object; the library unloads when nothing else holds it.
  void Release() {
    batch_.Reset();
    host_.Reset();
    object_.Reset();
  }

 private:
  static std::int32_t SinkToUi(void* context, const char16_t* prompt, const char16_t* title,
                               std::int32_t style) {
    return static_cast<platform::Ui*>(context)->MsgBox(platform::Utf8FromUtf16(prompt), style,
                                                       platform::Utf8FromUtf16(title));
  }
  static constexpr std::size_t kMaxBytesLength = 0x7fffffff;
  static bool IsAscii(std::string_view text) {
    for (char c : text) {
      if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
  }
  static std::int32_t FromHr(HRESULT hr) {
    if (platform::com::Succeeded(hr)) return kSortOk;
    return hr == platform::com::E_OUTOFMEMORY ? kOutOfMemory : kAutomationError;
  }
  std::int32_t Call(HRESULT (_ZUVASORTMEM::*method)(std::int32_t*)) {
    if (!object_) return kAutomationError;
    std::int32_t status = kAutomationError;
    const HRESULT hr = (object_.get()->*method)(&status);
    return platform::com::Succeeded(hr) ? status : FromHr(hr);
  }

  platform::ComPtr<_ZUVASORTMEM> object_;
  platform::ComPtr<IZuvaSortMemHost> host_;
  platform::ComPtr<IZuvaSortMemBatch> batch_;
  std::string batchBytes_;               // reused by PutLines
  std::vector<std::int32_t> batchEnds_;  // reused by PutLines
  platform::com::Bstr scratch_;          // reused by SetData
};

// The first lines of the message shown when the component cannot be created.
inline constexpr std::string_view kLibraryMissingText =
    "並べ替えライブラリ ZUVASORTMEM2 を使用できません。\n"
    "ライブラリが見つからないか、登録されていません。データは変更されていません。";

// The message for a failed Create(): kLibraryMissingText, every library file
// that was tried and why it could not be used, and the command that registers
// a library (velunor_regsvr beside the program, with the library path the
// program looks for first).
inline std::string LibraryMissingMessage(const platform::CreateResult& created) {
  std::string text(kLibraryMissingText);
  if (!created.tried.empty()) {
    text += "\n\n探したライブラリ:";
    for (const platform::TriedLibrary& t : created.tried) {
      text += "\n  " + t.path;
      switch (t.problem) {
        case platform::TriedLibrary::kMissing:
          text += t.registered ? "（登録先にファイルがありません）" : "（ファイルがありません）";
          break;
        case platform::TriedLibrary::kNotLoadable:
          text += "（読み込めません: " + t.why + "）";
          break;
        case platform::TriedLibrary::kNoEntryPoints:
          text += "（並べ替えライブラリではありません）";
          break;
      }
    }
  } else if (created.hresult == platform::com::REGDB_E_CLASSNOTREG) {
    text += "\n\n" + platform::ComponentRegistryPath().string() + " に登録がありません。";
  }
  const std::filesystem::path here = platform::ExecutableDirectory();
  const std::vector<std::filesystem::path> beside = platform::ComponentFallbackDirectories();
  std::string tool = "velunor_regsvr";
  if (!here.empty() && std::filesystem::exists(here / tool)) tool = (here / tool).string();
  std::filesystem::path found = platform::FindBesideProgram(kLibraryFileName);
  if (found.empty() && !beside.empty()) found = beside.front() / kLibraryFileName;
  const std::string library = found.empty() ? std::string(kLibraryFileName) : found.string();
  text +=
      "\n\n登録するには、端末で次のコマンドを実行してください"
      "（パスは ZUVASORTMEM2.so の置き場所に合わせてください）:\n  " +
      tool + " " + library;
  return text;
}

}  // namespace zuvasort

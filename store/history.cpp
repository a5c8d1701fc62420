#include "store/history.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "store/atomic_replace.h"

namespace store {

using platform::Status;

namespace {

constexpr std::string_view kMagic = "VLH1";
constexpr std::size_t kFrameHead = 8;  // magic + body length
constexpr std::size_t kFrameTail = 4;  // checksum
constexpr std::uint32_t kLargestBody = 512u << 20;
constexpr std::size_t kScanChunk = 4u << 20;

void PutU32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}
void PutU64(std::string& out, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}
void PutText(std::string& out, std::string_view s) {
  PutU32(out, static_cast<std::uint32_t>(s.size()));
  out.append(s);
}

// Reads the body's fields in order; any read past the end fails the whole.
class BodyReader {
 public:
  explicit BodyReader(std::string_view body) : rest_(body) {}
  bool ok() const { return ok_; }
  std::uint64_t U(int bytes) {
    if (rest_.size() < static_cast<std::size_t>(bytes)) return Fail();
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) {
      v |= std::uint64_t{static_cast<unsigned char>(rest_[i])} << (8 * i);
    }
    rest_.remove_prefix(bytes);
    return v;
  }
  std::string Text() {
    const std::uint64_t n = U(4);
    if (!ok_ || rest_.size() < n) return Fail(), std::string();
    std::string s(rest_.substr(0, n));
    rest_.remove_prefix(n);
    return s;
  }

 private:
  std::uint64_t Fail() {
    ok_ = false;
    rest_ = {};
    return 0;
  }
  std::string_view rest_;
  bool ok_ = true;
};

// Little-endian loads; on a little-endian host one plain load each.
template <typename T>
T LoadLittle(const char* p) {
  T v = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&v, p, sizeof v);
  } else {
    for (std::size_t i = 0; i < sizeof v; ++i) v |= T{static_cast<unsigned char>(p[i])} << (8 * i);
  }
  return v;
}
std::uint32_t LoadU32(const char* p) { return LoadLittle<std::uint32_t>(p); }
std::uint64_t LoadU64(const char* p) { return LoadLittle<std::uint64_t>(p); }

// One entry of the index file, 64 bytes, little-endian: number, offset,
// time, target (8 each), record, file id, frame length, the frame's own
// checksum (4 each), kind, the patient ID's length and the patient ID in
// ten bytes, and the CRC-32 of the 60 bytes before it. An entry whose
// patient ID is longer than ten bytes does not fit: the index file is used
// up to it and the log is read from there.
constexpr std::size_t kIndexEntry = 64;
constexpr std::size_t kIndexPatientId = 10;
constexpr unsigned char kLongId = 0xff;

struct IndexedEntry {
  EntryHead head;
  std::string_view patientId;
  std::uint32_t fileId = 0, frameLength = 0, frameCrc = 0;
};

// The checksum of an index entry: its first 60 bytes as words, each times a
// constant of its own, summed and mixed. The products are independent, so
// half a million entries are checked in a few milliseconds (a CRC-32 of the
// same bytes takes ten times that).
std::uint32_t EntryChecksum(const char* p) {
  static constexpr std::uint64_t kFactor[8] = {
      0x9E3779B97F4A7C15u, 0xC2B2AE3D27D4EB4Fu, 0x165667B19E3779F9u, 0xD6E8FEB86659FD93u,
      0xA0761D6478BD642Fu, 0xE7037ED1A0B428DBu, 0x8EBC6AF09C88C6E3u, 0x589965CC75374CC3u};
  std::uint64_t h = 0x243F6A8885A308D3u;
  for (int i = 0; i < 7; ++i) h += (LoadU64(p + 8 * i) + kFactor[i + 1]) * kFactor[i];
  h += (LoadU32(p + 56) + kFactor[0]) * kFactor[7];
  h ^= h >> 31;
  h *= kFactor[1];
  return static_cast<std::uint32_t>(h ^ (h >> 32));
}

// The head fields, in the order a body holds them; `entry` gets them.
bool ReadHead(BodyReader& in, ChangeEntry& entry) {
  entry.number = in.U(8);
  entry.stamp.time = static_cast<std::int64_t>(in.U(8));
  entry.stamp.offset = static_cast<std::int32_t>(in.U(4));
  entry.stamp.user = in.Text();
  entry.stamp.host = in.Text();
  entry.kind = static_cast<ChangeKind>(in.U(1));
  entry.file = in.Text();
  entry.record = static_cast<std::int32_t>(in.U(4));
  entry.countBefore = static_cast<std::int32_t>(in.U(4));
  entry.patientId = in.Text();
  entry.name = in.Text();
  entry.target = in.U(8);
  return in.ok();
}

Status ReadAll(platform::RandomFile& file, std::uint64_t offset, std::string& out) {
  std::size_t got = 0;
  if (Status s = file.ReadAt(offset, out, got); !s.ok()) return s;
  if (got != out.size()) return Status::Error(platform::kDeviceIoError);
  return Status::Ok();
}

std::string IndexEntry(const EntryHead& h, std::uint32_t fileId, std::string_view patientId,
                       std::uint32_t frameLength, std::uint32_t frameCrc) {
  std::string out;
  out.reserve(kIndexEntry);
  PutU64(out, h.number);
  PutU64(out, h.offset);
  PutU64(out, static_cast<std::uint64_t>(h.time));
  PutU64(out, h.target);
  PutU32(out, static_cast<std::uint32_t>(h.record));
  PutU32(out, fileId);
  PutU32(out, frameLength);
  PutU32(out, frameCrc);
  out.push_back(static_cast<char>(h.kind));
  const bool fits = patientId.size() <= kIndexPatientId;
  out.push_back(static_cast<char>(fits ? patientId.size() : 0xff));
  std::string id(fits ? patientId : std::string_view());
  id.resize(kIndexPatientId, '\0');
  out += id;
  PutU32(out, EntryChecksum(out.data()));
  return out;
}

bool ParseIndexEntry(std::string_view bytes, IndexedEntry& e) {
  const char* p = bytes.data();
  if (LoadU32(p + kIndexEntry - 4) != EntryChecksum(p)) return false;
  const auto idLength = static_cast<unsigned char>(p[49]);
  if (idLength > kIndexPatientId) return false;
  e.head.number = LoadU64(p);
  e.head.offset = LoadU64(p + 8);
  e.head.time = static_cast<std::int64_t>(LoadU64(p + 16));
  e.head.target = LoadU64(p + 24);
  e.head.record = static_cast<std::int32_t>(LoadU32(p + 32));
  e.fileId = LoadU32(p + 36);
  e.frameLength = LoadU32(p + 40);
  e.frameCrc = LoadU32(p + 44);
  e.head.kind = static_cast<ChangeKind>(p[48]);
  e.patientId = bytes.substr(50, idLength);
  return e.frameLength >= kFrameHead + kFrameTail;
}

}  // namespace

std::string_view ChangeKindText(ChangeKind kind) {
  switch (kind) {
    case ChangeKind::Register:
      return "登録";
    case ChangeKind::Overwrite:
      return "上書き";
    case ChangeKind::Delete:
      return "削除";
    case ChangeKind::DeleteAll:
      return "全削除";
    case ChangeKind::Sort:
      return "並べ替え";
    case ChangeKind::BulkRegister:
      return "一括登録";
    case ChangeKind::PatientRegister:
      return "患者登録";
    case ChangeKind::PatientDelete:
      return "患者削除";
    case ChangeKind::PatientDeleteAll:
      return "患者全削除";
    case ChangeKind::VocabularySave:
      return "語彙の保存";
    case ChangeKind::Restore:
      return "復元";
    case ChangeKind::Undo:
      return "元に戻す";
  }
  return "?";
}

ChangeStamp StampNow() {
  ChangeStamp stamp;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  stamp.time = now;
  stamp.offset = static_cast<std::int32_t>(local.tm_gmtoff);
  if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_name != nullptr) {
    stamp.user = pw->pw_name;
  } else if (const char* logname = std::getenv("LOGNAME"); logname != nullptr) {
    stamp.user = logname;
  }
  std::array<char, 256> host{};
  if (gethostname(host.data(), host.size() - 1) == 0) stamp.host = host.data();
  return stamp;
}

std::string StampTimeText(const ChangeStamp& stamp, bool seconds) {
  // The wall clock where the change was made, whatever zone reads it now.
  const std::time_t shifted = static_cast<std::time_t>(stamp.time + stamp.offset);
  std::tm t{};
  gmtime_r(&shifted, &t);
  char text[48];
  if (!seconds) {
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d", t.tm_year + 1900, t.tm_mon + 1,
                  t.tm_mday, t.tm_hour, t.tm_min);
    return text;
  }
  const int off = std::abs(stamp.offset) / 60;
  std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d %c%02d:%02d", t.tm_year + 1900,
                t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
                stamp.offset < 0 ? '-' : '+', off / 60, off % 60);
  return text;
}

std::uint32_t History::Crc32(std::string_view bytes, std::uint32_t crc) {
  // Eight bytes a step through eight tables (the standard reflected CRC-32).
  static const auto kTables = [] {
    std::array<std::array<std::uint32_t, 256>, 8> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[0][i] = c;
    }
    for (std::uint32_t i = 0; i < 256; ++i) {
      for (int k = 1; k < 8; ++k) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xff];
    }
    return t;
  }();
  crc = ~crc;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t n = bytes.size();
  for (; n >= 8; p += 8, n -= 8) {
    const std::uint32_t low = crc ^ (std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 |
                                     std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24);
    crc = kTables[7][low & 0xff] ^ kTables[6][(low >> 8) & 0xff] ^ kTables[5][(low >> 16) & 0xff] ^
          kTables[4][low >> 24] ^ kTables[3][p[4]] ^ kTables[2][p[5]] ^ kTables[1][p[6]] ^
          kTables[0][p[7]];
  }
  for (; n > 0; ++p, --n) crc = kTables[0][(crc ^ *p) & 0xff] ^ (crc >> 8);
  return ~crc;
}

std::string History::Frame(const ChangeEntry& e) {
  std::string body;
  PutU64(body, e.number);
  PutU64(body, static_cast<std::uint64_t>(e.stamp.time));
  PutU32(body, static_cast<std::uint32_t>(e.stamp.offset));
  PutText(body, e.stamp.user);
  PutText(body, e.stamp.host);
  body.push_back(static_cast<char>(e.kind));
  PutText(body, e.file);
  PutU32(body, static_cast<std::uint32_t>(e.record));
  PutU32(body, static_cast<std::uint32_t>(e.countBefore));
  PutText(body, e.patientId);
  PutText(body, e.name);
  PutU64(body, e.target);
  PutU32(body, static_cast<std::uint32_t>(e.kept.size()));
  for (const KeptFile& k : e.kept) {
    PutText(body, k.name);
    PutText(body, k.live);
  }
  PutText(body, e.before);
  PutText(body, e.after);

  std::string frame(kMagic);
  PutU32(frame, static_cast<std::uint32_t>(body.size()));
  frame += body;
  PutU32(frame, Crc32(frame));
  return frame;
}

bool History::ParseBody(std::string_view body, ChangeEntry& out) {
  BodyReader in(body);
  out = ChangeEntry{};
  if (!ReadHead(in, out)) return false;
  const std::uint64_t kept = in.U(4);
  for (std::uint64_t i = 0; in.ok() && i < kept; ++i) {
    KeptFile k;
    k.name = in.Text();
    k.live = in.Text();
    out.kept.push_back(std::move(k));
  }
  out.before = in.Text();
  out.after = in.Text();
  return in.ok();
}

History::History(platform::FileSystem& fs, std::string folder)
    : fs_(fs),
      folder_(std::move(folder)),
      path_(folder_ + "CHANGES.LOG"),
      indexPath_(folder_ + "CHANGES.IDX"),
      stamp_(StampNow) {}

History::~History() = default;

void History::Close() {
  file_.reset();
  index_.reset();
  heads_ = {};
  recordKeys_ = {};
  patientIds_ = {};
  longIds_.clear();
  files_.clear();
  end_ = length_ = indexLength_ = 0;
  fromIndexFile_ = 0;
}

Status History::Open() {
  if (file_) return Status::Ok();
  if (!fs_.IsDirectory(folder_)) {
    if (Status s = fs_.CreateDirectory(folder_); !s.ok()) return s;
    const std::size_t parent = folder_.find_last_of('\\', folder_.size() - 2);
    if (parent != std::string::npos) (void)fs_.SyncDirectory(folder_.substr(0, parent + 1));
  }
  const bool created = !fs_.Exists(path_);
  if (Status s = fs_.OpenRandom(path_, file_); !s.ok()) return s;
  // A new log's name must outlast a power cut as its entries do.
  if (created) {
    if (Status s = fs_.SyncDirectory(folder_); !s.ok()) {
      file_.reset();
      return s;
    }
  }
  Status s = file_->Length(length_);
  const std::uint64_t from = s.ok() ? LoadIndexFile() : 0;
  fromIndexFile_ = heads_.size();
  std::string indexBytes;
  if (s.ok()) s = Scan(from, indexBytes);
  if (!s.ok()) {
    Close();
    return s;
  }
  if (index_) WriteIndexFile(fromIndexFile_, indexBytes);
  return Status::Ok();
}

std::uint32_t History::KnownFileId(std::string_view file) const {
  for (std::size_t i = 0; i < files_.size(); ++i) {
    if (files_[i] == file) return static_cast<std::uint32_t>(i);
  }
  return UINT32_MAX;
}

std::uint32_t History::FileId(std::string_view file) {
  if (const std::uint32_t known = KnownFileId(file); known != UINT32_MAX) return known;
  files_.emplace_back(file);
  return static_cast<std::uint32_t>(files_.size() - 1);
}

void History::AddHead(const EntryHead& head, std::uint32_t fileId, std::string_view patientId) {
  std::array<char, 11> id{};
  if (patientId.size() < id.size()) {
    id[0] = static_cast<char>(patientId.size());
    std::copy(patientId.begin(), patientId.end(), id.begin() + 1);
  } else {
    id[0] = static_cast<char>(kLongId);
    longIds_.emplace(heads_.size(), patientId);
  }
  heads_.push_back(head);
  recordKeys_.push_back(RecordKey(fileId, head.record));
  patientIds_.push_back(id);
}

void History::PopHead() {
  longIds_.erase(heads_.size() - 1);
  heads_.pop_back();
  recordKeys_.pop_back();
  patientIds_.pop_back();
}

std::string_view History::PatientIdOf(std::size_t position) const {
  const std::array<char, 11>& id = patientIds_[position];
  const auto length = static_cast<unsigned char>(id[0]);
  if (length == kLongId) return longIds_.at(position);
  return std::string_view(id.data() + 1, length);
}

void History::Index(const ChangeEntry& e, std::uint64_t offset, std::uint32_t frameLength,
                    std::uint32_t frameCrc, std::string* indexBytes) {
  const std::uint32_t fileId = FileId(e.file);
  AddHead({e.number, offset, e.stamp.time, e.kind, files_[fileId], e.record, e.target}, fileId,
          e.patientId);
  if (indexBytes != nullptr) {
    *indexBytes += IndexEntry(heads_.back(), fileId, e.patientId, frameLength, frameCrc);
  }
}

void History::WriteIndexFile(std::size_t keep, const std::string& bytes) {
  // Best effort and never synced: whatever is missing or wrong in it is
  // read again from the log on the next open.
  if (!index_ && !fs_.OpenRandom(indexPath_, index_).ok()) return;
  const std::uint64_t at = keep * kIndexEntry;
  bool ok = true;
  if (indexLength_ != at) ok = index_->Truncate(at).ok();
  if (ok && !bytes.empty()) ok = index_->WriteAt(at, bytes).ok();
  if (!ok) {
    // The next open finds the gap and reads the log beyond it.
    index_.reset();
    indexLength_ = UINT64_MAX;
    return;
  }
  indexLength_ = at + bytes.size();
}

bool History::ResolveFileName(std::uint32_t fileId, std::uint64_t offset) {
  // File ids are given in the order the log first names a file, so the
  // first entry of each id names it.
  if (fileId != files_.size()) return false;
  std::string frame(kFrameHead, '\0');
  if (!ReadAll(*file_, offset, frame).ok()) return false;
  frame.resize(kFrameHead + std::min<std::uint32_t>(LoadU32(frame.data() + 4), 4096));
  if (!ReadAll(*file_, offset, frame).ok()) return false;
  BodyReader in(std::string_view(frame).substr(kFrameHead));
  ChangeEntry entry;
  if (!ReadHead(in, entry)) {
    // A head longer than the piece read: the whole frame then.
    frame.resize(kFrameHead + LoadU32(frame.data() + 4));
    if (!ReadAll(*file_, offset, frame).ok()) return false;
    BodyReader whole(std::string_view(frame).substr(kFrameHead));
    if (!ReadHead(whole, entry)) return false;
  }
  files_.push_back(entry.file);
  return true;
}

std::uint64_t History::LoadIndexFile() {
  std::string read;
  std::unique_ptr<platform::MappedBytes> mapped;
  std::string_view bytes;
  // A missing index file is made by the next change, not by reading: a
  // look at the history leaves the drive as it was.
  if (fs_.Exists(indexPath_) && fs_.OpenRandom(indexPath_, index_).ok() &&
      index_->Length(indexLength_).ok()) {
    mapped = index_->Map(indexLength_);
    if (mapped) {
      bytes = std::string_view(mapped->Bytes().data(), mapped->Bytes().size());
    } else {
      read.resize(indexLength_);
      std::size_t got = 0;
      if (!index_->ReadAt(0, read, got).ok()) got = 0;
      read.resize(got);
      bytes = read;
    }
  } else {
    index_.reset();
    indexLength_ = 0;
  }
  auto entryAt = [&](std::size_t i, IndexedEntry& e) {
    return ParseIndexEntry(bytes.substr(i * kIndexEntry, kIndexEntry), e);
  };
  auto giveUp = [&] {
    heads_.clear();
    recordKeys_.clear();
    patientIds_.clear();
    longIds_.clear();
    files_.clear();
    return std::uint64_t{0};
  };
  // The entries that are whole, follow each other in the log without a gap
  // and lie inside it.
  const std::size_t count = bytes.size() / kIndexEntry;
  heads_.reserve(count + 64);
  recordKeys_.reserve(count + 64);
  patientIds_.reserve(count + 64);
  std::uint64_t covered = 0;
  IndexedEntry e;
  for (std::size_t i = 0; i < count; ++i) {
    if (!entryAt(i, e) || e.head.offset != covered || covered + e.frameLength > length_) break;
    if (e.fileId >= files_.size() && !ResolveFileName(e.fileId, e.head.offset)) return giveUp();
    covered += e.frameLength;
    e.head.file = files_[e.fileId];
    AddHead(e.head, e.fileId, e.patientId);
  }
  // The first and the last of them must be the log's own frames: an index
  // file left from a log since replaced or cut back is not used. The last
  // is checked whole, as a crash tears the log's last frame.
  auto matches = [&](std::size_t i, bool whole) {
    IndexedEntry m;
    (void)entryAt(i, m);
    std::string head(kFrameHead, '\0'), tail(kFrameTail, '\0');
    if (!ReadAll(*file_, m.head.offset, head).ok() ||
        !ReadAll(*file_, m.head.offset + m.frameLength - kFrameTail, tail).ok() ||
        head.substr(0, 4) != kMagic ||
        kFrameHead + LoadU32(head.data() + 4) + kFrameTail != m.frameLength ||
        LoadU32(tail.data()) != m.frameCrc) {
      return false;
    }
    if (!whole) return true;
    std::string frame(m.frameLength - kFrameTail, '\0');
    return ReadAll(*file_, m.head.offset, frame).ok() && Crc32(frame) == m.frameCrc;
  };
  // A torn or damaged last frame costs only the entries from it on.
  bool lastMatches = false;
  for (int tries = 0; tries < 8 && !heads_.empty() && !lastMatches; ++tries) {
    lastMatches = matches(heads_.size() - 1, true);
    if (!lastMatches) PopHead();
  }
  if (!lastMatches || !matches(0, false)) return giveUp();
  (void)entryAt(heads_.size() - 1, e);
  return e.head.offset + e.frameLength;
}

Status History::Scan(std::uint64_t from, std::string& indexBytes) {
  std::string chunk;
  std::uint64_t chunkAt = 0;
  std::uint64_t at = from;
  // The bytes [offset, offset + n) of the log, read ahead in large pieces.
  auto bytes = [&](std::uint64_t offset, std::size_t n, std::string_view& out) -> Status {
    if (offset < chunkAt || offset + n > chunkAt + chunk.size()) {
      chunk.resize(
          std::max<std::uint64_t>(n, std::min<std::uint64_t>(kScanChunk, length_ - offset)));
      chunkAt = offset;
      if (Status s = ReadAll(*file_, offset, chunk); !s.ok()) return s;
    }
    out = std::string_view(chunk).substr(offset - chunkAt, n);
    return Status::Ok();
  };
  while (length_ - at >= kFrameHead + kFrameTail) {
    std::string_view head;
    if (Status s = bytes(at, kFrameHead, head); !s.ok()) return s;
    const std::uint32_t bodyLength = LoadU32(head.data() + 4);
    if (head.substr(0, 4) != kMagic || bodyLength > kLargestBody ||
        length_ - at < kFrameHead + bodyLength + kFrameTail) {
      break;
    }
    std::string_view frame;
    if (Status s = bytes(at, kFrameHead + bodyLength + kFrameTail, frame); !s.ok()) return s;
    const std::string_view covered = frame.substr(0, kFrameHead + bodyLength);
    const std::uint32_t crc = LoadU32(frame.data() + covered.size());
    ChangeEntry entry;
    BodyReader in(covered.substr(kFrameHead));
    if (crc != Crc32(covered) || !ReadHead(in, entry)) break;
    Index(entry, at, static_cast<std::uint32_t>(frame.size()), crc, &indexBytes);
    at += frame.size();
  }
  end_ = at;
  return Status::Ok();
}

Status History::Append(ChangeEntry& entry) {
  if (Status s = Open(); !s.ok()) return s;
  entry.number = NextNumber();
  entry.stamp = stamp_();
  const std::string frame = Frame(entry);
  // A torn entry left by a crash goes first, so that nothing unreadable
  // stands between two entries.
  Status s = end_ < length_ ? file_->Truncate(end_) : Status::Ok();
  if (s.ok()) s = file_->WriteAt(end_, frame);
  if (s.ok()) s = file_->Sync();
  if (!s.ok()) {
    if (file_->Truncate(end_).ok()) length_ = end_;
    return s;
  }
  std::string indexBytes;
  Index(entry, end_, static_cast<std::uint32_t>(frame.size()),
        LoadU32(frame.data() + frame.size() - kFrameTail), &indexBytes);
  WriteIndexFile(heads_.size() - 1, indexBytes);
  end_ += frame.size();
  length_ = end_;
  return Status::Ok();
}

Status History::TakeBackLast() {
  if (heads_.empty()) return Status::Ok();
  ChangeEntry last;
  if (Status s = Read(heads_.size() - 1, last); !s.ok()) return s;
  const std::uint64_t offset = heads_.back().offset;
  if (Status s = file_->Truncate(offset); !s.ok()) return s;
  if (Status s = file_->Sync(); !s.ok()) return s;
  for (const KeptFile& k : last.kept) {
    if (fs_.Exists(KeptPath(k.name))) (void)fs_.Delete(KeptPath(k.name));
  }
  PopHead();
  fromIndexFile_ = std::min(fromIndexFile_, heads_.size());
  WriteIndexFile(heads_.size(), {});
  end_ = length_ = offset;
  return Status::Ok();
}

std::vector<std::size_t> History::OfRecord(std::string_view file, std::int32_t record) const {
  // A pass over the heads in memory takes about a millisecond for half a
  // million entries, and needs no map to be built when the history opens.
  const std::uint32_t fileId = KnownFileId(file);
  std::vector<std::size_t> found;
  if (fileId == UINT32_MAX || record <= 0) return found;
  const std::uint64_t key = RecordKey(fileId, record);
  for (std::size_t i = recordKeys_.size(); i-- > 0;) {
    if (recordKeys_[i] == key) found.push_back(i);
  }
  return found;
}

std::vector<std::size_t> History::OfPatient(std::string_view patientId) const {
  std::vector<std::size_t> found;
  if (patientId.empty()) return found;
  for (std::size_t i = patientIds_.size(); i-- > 0;) {
    if (PatientIdOf(i) == patientId) found.push_back(i);
  }
  return found;
}

Status History::Read(std::size_t position, ChangeEntry& out) {
  if (!file_ || position >= heads_.size()) return Status::Error(platform::kBadRecordNumber);
  const std::uint64_t offset = heads_[position].offset;
  std::string head(kFrameHead, '\0');
  if (Status s = ReadAll(*file_, offset, head); !s.ok()) return s;
  std::string frame(kFrameHead + LoadU32(head.data() + 4) + kFrameTail, '\0');
  if (Status s = ReadAll(*file_, offset, frame); !s.ok()) return s;
  const std::string_view covered(frame.data(), frame.size() - kFrameTail);
  if (LoadU32(frame.data() + covered.size()) != Crc32(covered) ||
      !ParseBody(covered.substr(kFrameHead), out)) {
    return Status::Error(platform::kBadFileNameOrNumber);
  }
  return Status::Ok();
}

std::uint64_t History::SizeOnDrive() {
  std::uint64_t total = 0;
  std::vector<std::string> names;
  if (!fs_.ListFiles(folder_, names).ok()) return end_;
  for (const std::string& name : names) {
    platform::FileFacts facts;
    if (fs_.Facts(folder_ + name, facts).ok()) total += facts.length;
  }
  return total;
}

std::string History::KeptName(std::uint64_t number, std::string_view suffix) {
  char text[32];
  std::snprintf(text, sizeof text, "E%06llu", static_cast<unsigned long long>(number));
  return text + std::string(suffix);
}

Status History::Archive(std::int64_t before, std::string_view today, std::size_t& archived) {
  archived = 0;
  if (Status s = Open(); !s.ok()) return s;
  std::string old, kept;
  std::vector<ChangeEntry> leaving;
  for (std::size_t i = 0; i < heads_.size(); ++i) {
    ChangeEntry entry;
    if (Status s = Read(i, entry); !s.ok()) return s;
    if (heads_[i].time < before) {
      old += Frame(entry);
      leaving.push_back(std::move(entry));
    } else {
      kept += Frame(entry);
    }
  }
  if (leaving.empty()) return Status::Ok();

  // The archive first, synced: an entry is always in the log, the archive or
  // both, never in neither.
  const std::string archivePath = folder_ + "CHANGES-" + std::string(today) + ".LOG";
  std::unique_ptr<platform::RandomFile> archive;
  std::uint64_t archiveLength = 0;
  Status s = fs_.OpenRandom(archivePath, archive);
  if (s.ok()) s = archive->Length(archiveLength);
  if (s.ok()) s = archive->WriteAt(archiveLength, old);
  if (s.ok()) s = archive->Sync();
  archive.reset();
  if (!s.ok()) return s;

  const std::string staging = path_ + ".new";
  std::unique_ptr<platform::RandomFile> next;
  s = fs_.OpenRandom(staging, next);
  if (s.ok()) s = next->Truncate(0);
  if (s.ok()) s = next->WriteAt(0, kept);
  next.reset();
  if (!s.ok()) {
    (void)fs_.Delete(staging);
    return s;
  }
  file_.reset();
  const ReplaceOutcome replaced = ReplaceAtomically(fs_, staging, path_, folder_);
  Close();
  if (replaced.renamed) (void)fs_.Delete(indexPath_);
  if (Status reopened = Open(); replaced.status.ok())
    s = reopened;
  else
    s = replaced.status;
  if (!replaced.renamed) return s;

  const std::string archiveFolder = folder_ + "ARCHIVE\\";
  if (!fs_.IsDirectory(archiveFolder)) (void)fs_.CreateDirectory(archiveFolder);
  for (const ChangeEntry& entry : leaving) {
    for (const KeptFile& k : entry.kept) {
      if (fs_.Exists(KeptPath(k.name))) (void)fs_.Rename(KeptPath(k.name), archiveFolder + k.name);
    }
  }
  archived = leaving.size();
  return s;
}

}  // namespace store

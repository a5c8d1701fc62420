#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/record_file.h"
#include "store/records.h"

namespace store {

// The examinations of the data file by patient: for each PatientId the
// record numbers holding it, each with its examination date, so that a
// patient's examinations come out in date order without reading the file.
//
// Built in one sequential pass over the data file (the lookups by patient,
// date and ID are sorted from their columns when first asked) and then kept
// current by the
// commands that change the file: Put after a record is written (appended or
// overwritten), Remove after a record is deleted and the later ones moved
// down, Clear after every record went, Build again after a reorder.
//
// Beside it, the searched fields of every record as small columns (the date
// as a number, the numeric ID and age, the first bytes of the name, codes of
// sex, department and the arrhythmias), so that a search finds the records
// that can match without reading the file.
class ExamIndex {
 public:
  // One examination of a patient.
  struct Entry {
    std::int32_t record = 0;
    std::string date;  // "yyyy/mm/dd" as stored

    friend bool operator==(const Entry&, const Entry&) = default;
  };

  // Reads every record of `file` (null: an empty index) in one pass from the
  // start, in place where the file can be mapped, else in large pieces. A read
  // failure leaves the index empty and is returned.
  [[nodiscard]] Status Build(RecordFile* file);
  void Clear();

  // Record n was written with `record` (n: an existing record or
  // Records() + 1).
  void Put(std::int32_t n, const ExamRecord& record);
  // Record n was taken out; the records after it are one lower now.
  void Remove(std::int32_t n);

  // The records the index covers (the data file's count when current).
  std::int32_t Records() const { return static_cast<std::int32_t>(dates_.size()); }

  // The examinations of `patientId` (trimmed, as stored) by date, records of
  // one date by number. An empty ID names no patient: nothing.
  std::vector<Entry> ExamsOf(std::string_view patientId) const;

  // What a search asks of the stored fields (cp932 bytes as stored); an
  // unset member is no test.
  struct Query {
    std::vector<std::string> datePrefixes;  // ExamDate begins with each
    std::optional<std::string> date;        // the trimmed ExamDate equals it
    std::optional<double> patientId;        // the numeric value of PatientId
    std::string namePrefix;                 // Name begins with it
    std::optional<std::string> sex;         // the trimmed Sex equals it
    std::optional<double> ageFrom, ageTo;   // the numeric value of Age within
    std::optional<std::string> department;  // the trimmed Department equals it
    // Passes one of the five Arrhythmia fields, blanks included.
    std::function<bool(std::string_view)> arrhythmia;
  };
  // The records, ascending, that may meet every test of `query`: each record
  // that meets them is among them (a long name prefix or an odd date lets a
  // few through that do not).
  std::vector<std::int32_t> Candidates(const Query& query) const;

 private:
  // Distinct field values numbered in the order met; past the last code
  // every further value gets kMany, which no test rules out.
  class Codes {
   public:
    static constexpr std::uint16_t kMany = 0xFFFF;
    std::uint16_t Of(std::string_view value);
    // For each code, whether its value passes `test` (no test: none).
    std::vector<char> Passing(const std::function<bool(std::string_view)>& test) const;
    void Clear();

   private:
    // A value of up to 23 bytes as three words (its length in the top byte),
    // compared and hashed without a call; longer values are looked up one by
    // one (the fields coded are 20 bytes wide).
    struct Key {
      std::array<std::uint64_t, 3> words{};
      friend bool operator==(const Key&, const Key&) = default;
    };
    static constexpr std::size_t kKeyBytes = 23;
    static Key KeyOf(std::string_view value);
    struct Slot {
      Key key;
      std::uint16_t code = kMany;  // kMany: an empty slot
    };
    Slot& Find(const Key& key);
    void Grow();

    std::vector<Slot> slots_;     // open addressing, a power of two long, at most half full
    std::uint16_t last_ = kMany;  // the code given last
    Key lastKey_;
    std::vector<std::string> values_;
  };
  // The columns of one record, appended at the end or put at n.
  void SetColumns(std::size_t at, const char* record);
  void Resize(std::size_t count);

  // The records by one key: (key, record) in order, so that a key or a range
  // of keys is found by halving. Made from the column when first asked (the
  // drive opens without sorting), then kept current; until then a change
  // leaves it unmade.
  template <typename Key>
  class Postings {
   public:
    using Entry = std::pair<Key, std::int32_t>;
    bool Made() const { return made_; }
    void Insert(Key key, std::int32_t n);
    void Erase(Key key, std::int32_t n);
    // Record `removed` was taken out: it is gone, and the later ones are one lower.
    void Renumber(std::int32_t removed);
    // Every key of `column`, record n at n - 1.
    void Fill(const std::vector<Key>& column);
    // The records with low <= key < high, with key == `key`, with key >= low.
    using Span = std::span<const Entry>;
    Span Range(Key low, Key high) const;
    Span Equal(Key key) const;
    Span From(Key low) const;
    void Clear() {
      entries_.clear();
      made_ = false;
    }

   private:
    std::vector<Entry> entries_;
    bool made_ = false;
  };

  // The columns, record n at n - 1.
  std::vector<std::uint64_t> patients_;          // the trimmed PatientId bytes, packed
  std::vector<std::array<char, 10>> dateTexts_;  // ExamDate as stored
  std::vector<std::uint32_t> dates_;             // yyyymmdd; kOddDate when not "yyyy/mm/dd"
  std::vector<double> ids_, ages_;
  std::vector<std::uint64_t> names_;  // the first 8 bytes
  std::vector<std::uint16_t> sexes_, departments_;
  std::vector<std::array<std::uint16_t, 5>> arrhythmias_;
  Codes sexCodes_, departmentCodes_, arrhythmiaCodes_;
  mutable Postings<std::uint32_t> byDate_;
  mutable Postings<double> byId_;
  mutable Postings<std::uint64_t> byPatient_;
};

}  // namespace store

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "store/store.h"
#include "store/text_format.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/records.h"

namespace {

using namespace store;

class PatientLookupTest : public ::testing::Test {
 protected:
  void WriteMaster(const std::vector<int>& ids) {
    std::vector<PatientRecord> master;
    for (std::size_t i = 0; i < ids.size(); ++i) {
      master.push_back(testing_support::Patient(ids[i]).With(
          PatientField::RecordNo, FormatNumber(static_cast<double>(i + 1), "0000000000")));
    }
    files.WriteBytes(kMasterFile, testing_support::FileBytes(master));
    ASSERT_TRUE(s.StartUp().ok());
    s.SetPatientProbeLog(&probes);
  }
  // The probes of the main window's lookup; `found` its position.
  std::vector<std::int32_t> Find(float id) {
    probes.clear();
    found = s.FindPatient(id).position;
    return probes;
  }
  std::int32_t found = -1;
  testing_support::MemoryFileSystem files;
  Store s{files};
  std::vector<std::int32_t> probes;
};

using Probes = std::vector<std::int32_t>;

TEST_F(PatientLookupTest, ProbeSequencesOnThreePatients) {
  WriteMaster({10, 20, 30});
  EXPECT_EQ(Find(30), (Probes{1, 2, 3}));
  EXPECT_EQ(found, 3);
  EXPECT_EQ(Find(5), (Probes{1}));
  EXPECT_EQ(found, 0);
  EXPECT_EQ(Find(25), (Probes{1, 2, 3, 4}));
  EXPECT_EQ(found, 0);
  EXPECT_EQ(Find(10), (Probes{1}));
  EXPECT_EQ(found, 1);
  EXPECT_EQ(Find(20), (Probes{1, 2}));
  EXPECT_EQ(found, 2);
}

TEST_F(PatientLookupTest, OneAndNoPatient) {
  WriteMaster({45});
  const FoundPatient one = s.FindPatient(45);
  EXPECT_EQ(one.position, 1);
  EXPECT_TRUE(one.found());
  EXPECT_EQ(one.record.Get(PatientField::PatientId), "000045");
  EXPECT_EQ(s.FindPatient(44).position, 0);
  EXPECT_FALSE(s.FindPatient(46).found());
}

TEST_F(PatientLookupTest, EmptyMasterIsReported) {
  WriteMaster({});
  const FoundPatient looked = s.LookupPatient(1);
  EXPECT_EQ(looked.outcome, LookupOutcome::EmptyMaster);
  EXPECT_EQ(looked.position, 0);
  EXPECT_EQ(s.FindPatient(1).position, 0);
}

TEST_F(PatientLookupTest, TenPatientsAreScannedElevenBisected) {
  std::vector<int> ids;
  for (int i = 1; i <= 10; ++i) ids.push_back(i * 10);
  WriteMaster(ids);
  probes.clear();
  const FoundPatient scanned = s.LookupPatient(100);
  EXPECT_EQ(scanned.outcome, LookupOutcome::Done);
  EXPECT_EQ(scanned.position, 10);
  EXPECT_EQ(probes, (Probes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));

  ids.push_back(110);
  WriteMaster(ids);
  probes.clear();
  EXPECT_EQ(s.LookupPatient(110).position, 11);
  EXPECT_LT(probes.size(), 6u);
}

// On random ascending masters the bisection agrees with a linear scan for
// every present ID and for IDs in the gaps. The downward step halves the
// position, so a search costs up to about log2(n) squared probes, never a scan.
TEST_F(PatientLookupTest, BisectionAgreesWithALinearScan) {
  std::mt19937 random(20061);
  for (int round = 0; round < 30; ++round) {
    const int count = 1 + static_cast<int>(random() % (round < 20 ? 40 : 3000));
    std::set<int> unique;
    while (static_cast<int>(unique.size()) < count) unique.insert(1 + random() % 999998);
    std::vector<int> ids(unique.begin(), unique.end());
    WriteMaster(ids);
    std::vector<int> queries = ids;
    for (int q = 0; q < 50; ++q) queries.push_back(static_cast<int>(random() % 1000000));
    for (int id : queries) {
      auto at = std::find(ids.begin(), ids.end(), id);
      const std::int32_t expected =
          at == ids.end() ? 0 : static_cast<std::int32_t>(at - ids.begin() + 1);
      const Probes seen = Find(static_cast<float>(id));
      ASSERT_EQ(found, expected) << "count " << count << " id " << id;
      const auto depth = static_cast<std::size_t>(std::ceil(std::log2(count + 1)));
      EXPECT_LE(seen.size(), depth * depth + 2u);  // never a scan of the master
      for (std::int32_t p : seen) ASSERT_TRUE(p >= 1 && p <= count + 1) << p;
    }
    EXPECT_EQ(s.FindPatient(static_cast<float>(ids.back())).position,
              static_cast<std::int32_t>(ids.size()));
  }
}

}  // namespace

#include "tests/support/scripted_sort.h"

#include <algorithm>
#include <cstdlib>

namespace testing_support {

class ScriptedSortJob final : public store::SortJob {
 public:
  explicit ScriptedSortJob(ScriptedSort& owner) : owner_(owner) {
    ++owner_.created_;
    ++owner_.live_;
  }
  ~ScriptedSortJob() override { --owner_.live_; }

  std::int32_t SetParam(std::string_view keyParameter) override {
    owner_.param_ = std::string(keyParameter);
    const std::size_t comma = owner_.param_.find(',');
    start_ = static_cast<std::size_t>(std::atoi(owner_.param_.c_str()));
    length_ = static_cast<std::size_t>(std::atoi(owner_.param_.c_str() + comma + 1));
    return 0;
  }
  std::int32_t Open() override { return Fails("OPEN"); }
  std::int32_t Put(std::string_view line) override {
    if (std::int32_t s = Fails("PUT"); s != 0) return s;
    owner_.lines_.emplace_back(line);
    records_.emplace_back(line);
    return 0;
  }
  std::int32_t Main() override {
    if (std::int32_t s = Fails("MAIN"); s != 0) return s;
    auto key = [this](const std::string& r) {
      return start_ == 0 || start_ > r.size() ? std::string() : r.substr(start_ - 1, length_);
    };
    std::stable_sort(records_.begin(), records_.end(),
                     [&](const std::string& a, const std::string& b) { return key(a) < key(b); });
    return 0;
  }
  std::int32_t Get(std::string& line) override {
    if (std::int32_t s = Fails("GET"); s != 0) return s;
    if (next_ >= records_.size()) return 99;
    line = records_[next_++];
    return 0;
  }
  std::int32_t Close() override { return Fails("CLOSE"); }

 private:
  std::int32_t Fails(const std::string& call) {
    const ScriptedSort::Script& script = owner_.script_;
    if (script.call != call) return 0;
    return ++calls_ >= script.from ? script.status : 0;
  }

  ScriptedSort& owner_;
  std::size_t start_ = 1;
  std::size_t length_ = 0;
  int calls_ = 0;
  std::vector<std::string> records_;
  std::size_t next_ = 0;
};

store::SortJobFactory ScriptedSort::Factory() {
  return [this](platform::Ui&) -> std::unique_ptr<store::SortJob> {
    if (missing_) return nullptr;
    return std::make_unique<ScriptedSortJob>(*this);
  };
}

}  // namespace testing_support

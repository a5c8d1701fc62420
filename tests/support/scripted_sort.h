#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "store/sort_file.h"

namespace testing_support {

// Sort jobs in the test's own process, handed to the sort caller through its
// job factory. They order like the component for ASCII keys (key parameter
// "start,length,A": those characters, ascending, equal keys in PUT order) and
// fail where the script says.
class ScriptedSort {
 public:
  // From the `from`-th call of `call` ("OPEN", "PUT", "MAIN", "GET",
  // "CLOSE") on, that call answers `status`.
  void FailAt(std::string call, std::int32_t status, int from = 1) {
    script_ = {std::move(call), status, from};
  }
  void Heal() { script_ = {}; }
  // Makes the factory answer nullptr, as when the component is missing.
  void Unavailable(bool missing = true) { missing_ = missing; }

  store::SortJobFactory Factory();

  int Created() const { return created_; }
  int Live() const { return live_; }
  const std::vector<std::string>& Lines() const { return lines_; }  // every PUT line
  const std::string& Param() const { return param_; }

  struct Script {
    std::string call;
    std::int32_t status = 0;
    int from = 1;
  };

 private:
  friend class ScriptedSortJob;
  Script script_;
  bool missing_ = false;
  int created_ = 0;
  int live_ = 0;
  std::vector<std::string> lines_;
  std::string param_;
};

}  // namespace testing_support

#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace store {

// A SHA-256 digest computed piece by piece (OpenSSL's libcrypto underneath).
class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  void Add(std::string_view bytes);
  // The digest of everything added, as 64 lower-case hex digits. Starts over.
  std::string HexDigest();

 private:
  struct Context;
  std::unique_ptr<Context> context_;
};

// The digest of `bytes` in one call.
std::string Sha256Hex(std::string_view bytes);

}  // namespace store

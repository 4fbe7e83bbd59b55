// Small helpers shared by the core tests: a temporary folder that cleans up after itself.
#pragma once

#include <functional>
#include <string>

#include "uUtils.h"

class TTempDir {
 public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;
  // The folder, without a trailing delimiter.
  const std::string& Path() const { return FPath; }
  std::string operator/(const std::string& rel) const { return FPath + "/" + rel; }

 private:
  std::string FPath;
};

// Writes bytes to path, creating folders (no atomic replace: fixtures only).
void WriteFixtureFile(const std::string& path, const std::string& bytes);

// The message of the EFolivaneError that fn raises, or "(no error)": a test that compares
// it fails when the call stops raising, which a try/catch around the call would not notice.
std::string ErrorMessage(const std::function<void()>& fn);

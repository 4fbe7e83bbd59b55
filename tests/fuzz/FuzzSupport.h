// What the loader fuzz targets share: a scratch folder that lives in memory where it can,
// quick file writes (no flush: the files are thrown away), and failing loudly.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "uDocModel.h"
#include "uUtils.h"

// The process's own scratch folder, created on first use and removed at exit: under
// $FOLIVANE_FUZZ_SCRATCH, else /dev/shm, else /tmp.
inline const std::string& ScratchDir() {
  static const std::string dir = [] {
    const char* env = std::getenv("FOLIVANE_FUZZ_SCRATCH");
    std::string base = env && *env ? env : DirExists("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string pattern = base + "/folivane-fuzz-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
      std::perror("mkdtemp");
      std::abort();
    }
    return pattern;
  }();
  static const bool cleanup = [] { return std::atexit([] { DeleteFolderTree(ScratchDir()); }) == 0; }();
  (void)cleanup;
  return dir;
}

inline std::string ScratchPath(const std::string& rel) { return ScratchDir() + "/" + rel; }

// Writes bytes to path, creating its folder.
inline void WriteScratchFile(const std::string& path, std::string_view bytes) {
  EnsureDir(ExtractFileDir(path));
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::abort();
  }
}

// Reports a broken expectation with the input that led to it; libFuzzer keeps the input.
[[noreturn]] inline void FuzzFail(const std::string& what, std::string_view input) {
  std::fprintf(stderr, "%s\n", SanitizeUtf8(ReplaceAll(what, std::string_view("\0", 1), "\\0")).c_str());
  std::fprintf(stderr, "input (%zu bytes): %s\n", input.size(),
               SanitizeUtf8(ReplaceAll(input, std::string_view("\0", 1), "\\0")).c_str());
  std::abort();
}

inline bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// The tree as text for comparing: roots, then every field of every topic (the page by its
// file name), topics by identifier.
inline std::string DescribeTree(const TDocProject& project) {
  const auto join = [](const TStringList& items) {
    std::string out;
    for (const std::string& item : items) out += "[" + item + "]";
    return out;
  };
  std::vector<const TTopic*> topics;
  for (const auto& [id, topic] : project.Topics()) topics.push_back(topic.get());
  std::sort(topics.begin(), topics.end(), [](const TTopic* a, const TTopic* b) { return a->ID() < b->ID(); });
  std::string out = "roots " + join(project.RootTopicIDs()) + "\n";
  for (const TTopic* t : topics) {
    out += "topic [" + t->ID() + "] title [" + t->Title() + "] parent [" + t->ParentID() + "] page [" +
           ExtractFileName(t->HtmlPath()) + "] flags " + std::to_string(t->ExcludeWeb()) +
           std::to_string(t->ExcludeChm()) + std::to_string(t->ExcludePdf()) + " children " + join(t->Children()) +
           " keywords " + join(t->Keywords()) + " index " + join(t->IndexEntries()) + "\n";
  }
  return out;
}

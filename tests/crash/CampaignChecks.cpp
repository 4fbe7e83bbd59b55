#include "CampaignChecks.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <set>

#include "CampaignEditor.h"
#include "uStorage.h"
#include "uUtils.h"

namespace fs = std::filesystem;

namespace {

bool ReadIfPresent(const std::string& path, std::string& bytes) {
  if (!FileExists(path)) return false;
  bytes = ReadBinaryFile(path);
  return true;
}

std::uint64_t ReadLittleEndian(const std::string& bytes, size_t at, int size) {
  std::uint64_t v = 0;
  for (int i = size - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bytes[at + i]);
  return v;
}

double AgeSeconds(const fs::path& path) {
  std::error_code ec;
  const auto written = fs::last_write_time(path, ec);
  if (ec) return 0;
  return std::chrono::duration<double>(fs::file_time_type::clock::now() - written).count();
}

}  // namespace

void CheckProjectFiles(const TExpectedFiles& before, const TExpectedFiles& after, TFindings& findings) {
  std::set<std::string> paths;
  for (const auto& [path, file] : before) paths.insert(path);
  for (const auto& [path, file] : after) paths.insert(path);
  for (const std::string& path : paths) {
    std::string bytes;
    if (!ReadIfPresent(path, bytes)) {
      findings.push_back("missing project file " + path);
      continue;
    }
    const auto b = before.find(path);
    const auto a = after.find(path);
    const TExpectedFile& kind = a != after.end() ? a->second : b->second;
    if (kind.json && !ParsesAsJson(bytes)) {
      findings.push_back("project file is not JSON: " + path + " (" + std::to_string(bytes.size()) + " bytes)");
      continue;
    }
    std::string whyNotBefore = "no old content", whyNotAfter = "no new content";
    if (b != before.end() && MatchesExpected(b->second, bytes, &whyNotBefore)) continue;
    if (a != after.end() && MatchesExpected(a->second, bytes, &whyNotAfter)) continue;
    findings.push_back("project file holds neither its old nor its new content: " + path + " (old: " + whyNotBefore +
                       "; new: " + whyNotAfter + ")");
  }
}

TExpectedFiles SnapshotFiles(const TExpectedFiles& paths) {
  TExpectedFiles snapshot;
  for (const auto& [path, file] : paths) {
    std::string bytes;
    if (ReadIfPresent(path, bytes)) snapshot[path] = {false, false, bytes};
  }
  return snapshot;
}

bool IsWriteTempName(const std::string& name) {
  if (name.size() < 9 || name[0] != '.' || name[name.size() - 7] != '.') return false;
  return std::all_of(name.end() - 6, name.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
}

TLeftoverScan ScanLeftovers(const std::string& fvpPath, const TExpectedFiles& expected, TFindings& findings) {
  TLeftoverScan scan;
  const std::string root = ProjectFolderForFile(fvpPath);
  const std::vector<std::string> checkedForStrays = {PathJoin(root, "meta"), PathJoin(root, "topics")};
  std::vector<std::string> folders = checkedForStrays;
  for (const char* sub : {"", "styles", "build/webhelp", "build/chm", "build/pdf"})
    folders.push_back(PathJoin(root, sub));
  folders.push_back(ExtractFileDir(fvpPath));
  const std::string fvpTempPrefix = "." + ExtractFileName(fvpPath) + ".";

  const std::string outputs = PathJoin(root, "build");
  for (const std::string& folder : folders) {
    const bool output = StartsWith(folder, outputs);
    const bool strict = std::find(checkedForStrays.begin(), checkedForStrays.end(), folder) != checkedForStrays.end();
    const bool fvpFolder = folder == ExtractFileDir(fvpPath);
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      if (!it->is_regular_file()) continue;
      const std::string name = it->path().filename().string();
      if (fvpFolder && !StartsWith(name, fvpTempPrefix)) continue;
      if (IsWriteTempName(name)) {
        scan.temps.push_back(it->path().string());
        double& oldest = output ? scan.oldestInOutputs : scan.oldestInProject;
        oldest = std::max(oldest, AgeSeconds(it->path()));
        continue;
      }
      if (strict && !expected.count(it->path().string())) findings.push_back("stray file " + it->path().string());
    }
  }
  return scan;
}

bool IsCompleteChm(const std::string& path, std::string* reason) {
  const std::string bytes = ReadBinaryFile(path);
  // ITSF header: the first header section's offset at 0x38; that section records the file size at +8.
  if (bytes.size() < 0x60 || bytes.compare(0, 4, "ITSF") != 0) {
    *reason = "no CHM header (" + std::to_string(bytes.size()) + " bytes)";
    return false;
  }
  const std::uint64_t section = ReadLittleEndian(bytes, 0x38, 8);
  if (section + 16 > bytes.size()) {
    *reason = "header section beyond the end (" + std::to_string(bytes.size()) + " bytes)";
    return false;
  }
  const std::uint64_t recorded = ReadLittleEndian(bytes, section + 8, 8);
  if (recorded != bytes.size()) {
    *reason = "records " + std::to_string(recorded) + " bytes, holds " + std::to_string(bytes.size());
    return false;
  }
  return true;
}

std::string CompareWithReference(const std::string& folder, const std::string& refFolder, const std::string& refRoot,
                                 const std::string& realRoot, const std::vector<std::string>& skip) {
  for (const std::string& rel : ListFilesRecursive(refFolder)) {
    if (std::find(skip.begin(), skip.end(), rel) != skip.end()) continue;
    std::string actual;
    if (!ReadIfPresent(PathJoin(folder, rel), actual)) return rel + " missing";
    const std::string expected = ReplaceAll(ReadBinaryFile(PathJoin(refFolder, rel)), refRoot, realRoot);
    if (actual != expected) return rel + " differs";
  }
  return std::string();
}

TReferenceExports::TReferenceExports(std::string workDir, std::uint64_t seed, std::vector<std::string> ids,
                                     std::string assetsFrom)
    : FWorkDir(std::move(workDir)), FSeed(seed), FIds(std::move(ids)), FAssetsFrom(std::move(assetsFrom)) {}

std::string TReferenceExports::RootFor(int step) {
  const auto found = FMade.find(step);
  if (found != FMade.end()) return found->second;
  // Only the last few steps are ever candidates.
  while (FMade.size() >= 8) {
    DeleteFolderTree(ExtractFileDir(FMade.begin()->second));
    FMade.erase(FMade.begin());
  }
  const std::string dir = PathJoin(FWorkDir, "ref-" + std::to_string(step));
  if (DirExists(dir)) DeleteFolderTree(dir);
  const std::string fvp = PathJoin(dir, "Kill.fvp");
  const TCampaignState state = CampaignStateAt(FSeed, step, FIds);
  for (const auto& [path, file] : ExpectedProjectFiles(state, fvp)) {
    WriteFileAtomic(path, (file.bom ? "\xEF\xBB\xBF" : "") + file.text);
  }
  const std::string root = ProjectFolderForFile(fvp);
  for (const std::string& rel : ListFilesRecursive(FAssetsFrom)) {
    const std::string target = PathJoin(PathJoin(root, "assets"), rel);
    EnsureDir(ExtractFileDir(target));
    CopyFileOverwrite(PathJoin(FAssetsFrom, rel), target);
  }
  TCampaignEditor editor(fvp);
  editor.PublishWebHelp();
  editor.PublishChm(false);
  editor.WritePdfManual();
  return FMade[step] = root;
}

void CheckExport(const std::string& kind, const std::string& projectRoot, const std::vector<int>& candidateSteps,
                 TReferenceExports& refs, TFindings& findings) {
  const std::string out = PathJoin(PathJoin(projectRoot, "build"), kind);
  const std::string entry = kind == "webhelp" ? "index.html" : kind == "chm" ? "project.hhp" : "manual.html";
  if (kind == "chm" && FileExists(PathJoin(out, "help.chm"))) {
    std::string why;
    if (!IsCompleteChm(PathJoin(out, "help.chm"), &why)) findings.push_back("chm: help.chm is not whole: " + why);
  }
  if (kind == "pdf" && FileExists(PathJoin(out, "manual.pdf"))) {
    findings.push_back("pdf: manual.pdf exists though the campaign never prints");
  }
  if (!FileExists(PathJoin(out, entry))) return;

  std::string differences;
  for (const int step : candidateSteps) {
    const std::string refRoot = refs.RootFor(step);
    const std::string refOut = PathJoin(PathJoin(refRoot, "build"), kind);
    const std::string difference = CompareWithReference(out, refOut, ExcludeTrailingDelimiter(refRoot),
                                                        ExcludeTrailingDelimiter(projectRoot), {"help.chm"});
    if (difference.empty()) return;
    differences += (differences.empty() ? "against step " : "; step ") + std::to_string(step) + ": " + difference;
  }
  if (differences.empty()) differences = "no export of it has begun";
  findings.push_back(kind + ": " + entry + " is there but the output is no finished export (" + differences + ")");
}

// What a kill left behind, judged: the project files, leftovers of atomic writes, and
// whether an export looks finished without being so.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "CampaignState.h"

using TFindings = std::vector<std::string>;

// Each file of before or after exists and holds one of the two contents it may have.
void CheckProjectFiles(const TExpectedFiles& before, const TExpectedFiles& after, TFindings& findings);
// The present files among paths, as exact contents (JSON ones compared as bytes too).
TExpectedFiles SnapshotFiles(const TExpectedFiles& paths);

// Whether name is the temporary file of an atomic write: "." + target name + "." + six
// letters or digits.
bool IsWriteTempName(const std::string& name);

struct TLeftoverScan {
  std::vector<std::string> temps;  // temporary files of atomic writes (full paths)
  double oldestInProject = 0;      // seconds since the oldest one in a project folder was written
  double oldestInOutputs = 0;      // the same in the output folders
};
// Looks through the folders an open or an export reads (the project file's folder, the
// project root, meta, topics, styles and the three output folders). Any file in meta or
// topics that is neither expected nor a temporary file is a finding.
TLeftoverScan ScanLeftovers(const std::string& fvpPath, const TExpectedFiles& expected, TFindings& findings);

// Whether a compiled help file is whole: the size its header records is its size.
bool IsCompleteChm(const std::string& path, std::string* reason);

// Empty when every file below refFolder is in folder with the same bytes (the reference
// project's root replaced by the real one); else the first difference. Files in skip
// (relative names) are not compared.
std::string CompareWithReference(const std::string& folder, const std::string& refFolder, const std::string& refRoot,
                                 const std::string& realRoot, const std::vector<std::string>& skip = {});

// The finished exports of the campaign's states, made in a folder of their own and
// kept for the last few steps asked for.
class TReferenceExports {
 public:
  TReferenceExports(std::string workDir, std::uint64_t seed, std::vector<std::string> ids, std::string assetsFrom);
  // The reference project's root (its build folder holds webhelp, chm and pdf) for step.
  std::string RootFor(int step);

 private:
  std::string FWorkDir;
  std::uint64_t FSeed;
  std::vector<std::string> FIds;
  std::string FAssetsFrom;
  std::map<int, std::string> FMade;
};

// An export's entry file exists only when the output equals a finished export of one of
// candidateSteps (as made by refs, tried in order); kind is webhelp, chm or pdf.
void CheckExport(const std::string& kind, const std::string& projectRoot, const std::vector<int>& candidateSteps,
                 TReferenceExports& refs, TFindings& findings);

// meta/topics.json over any text: the streaming reader answers "not JSON", raises
// EFolivaneError, or loads a tree; nothing else escapes. A loaded tree,
// written by TopicsJsonText and read again, is the same tree, and it can be walked.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "uTopicsJson.h"

namespace {

const char kFolder[] = "/fuzz/Guide/";
const char kPath[] = "/fuzz/Guide/meta/topics.json";

enum class TRead { NotJson, Loaded, Raised };

TRead Read(std::string_view text, TDocProject& project, std::string_view input) {
  std::string error;
  try {
    if (ReadTopicsJson(text, kPath, kFolder, project, &error)) return TRead::Loaded;
  } catch (const EFolivaneError& e) {
    // The one fixed message is the duplicate identifier; every other one names the file.
    const std::string message = e.what();
    if (message != "Duplicates not allowed" && !Contains(message, kPath)) {
      FuzzFail("the error does not name the file: " + message, input);
    }
    return TRead::Raised;
  } catch (const std::exception& e) {
    FuzzFail(std::string("escaped: ") + e.what(), input);
  }
  if (error.empty()) FuzzFail("not JSON, but no reason given", input);
  if (!project.Topics().empty() || !project.RootTopicIDs().empty())
    FuzzFail("text that is not JSON left topics", input);
  return TRead::NotJson;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  TDocProject project;
  if (Read(input, project, input) != TRead::Loaded) return 0;
  project.TopicsInTreeOrder();  // must end, cycles or not

  const std::string written = TopicsJsonText(project);
  if (!IsValidUtf8(written)) FuzzFail("the written text is not UTF-8:\n" + written, input);
  TDocProject again;
  if (Read(written, again, input) != TRead::Loaded) FuzzFail("the written text does not load:\n" + written, input);
  if (DescribeTree(again) != DescribeTree(project)) {
    FuzzFail("the tree changed on the way:\n" + DescribeTree(project) + "---\n" + DescribeTree(again), input);
  }
  return 0;
}

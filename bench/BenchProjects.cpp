#include "BenchProjects.h"

#include <unistd.h>

#include <map>
#include <vector>

#include "uPlatform.h"
#include "uUtils.h"

std::string GeneratedProjectFile(int n) {
  static std::map<int, std::string> made;
  auto it = made.find(n);
  if (it != made.end()) return it->second;
  char tmpl[] = "/tmp/folivane-bench-project-XXXXXX";
  const std::string dir = ::mkdtemp(tmpl);
  const TProcessResult r =
      RunProcessAndWait(PathJoin(ExecutableDir(), "gen_project"), std::vector<std::string>{std::to_string(n), dir});
  if (r.exitCode != 0) throw EFolivaneError("gen_project failed: " + r.output);
  return made[n] = PathJoin(dir, "Generated.fvp");
}

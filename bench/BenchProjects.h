// The projects of gen_project that the benchmarks share, each made once per size.
#pragma once

#include <string>

// The project file of a generated project of n topics, in a fresh folder under /tmp.
std::string GeneratedProjectFile(int n);

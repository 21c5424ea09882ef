#include "bench/workload.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <map>

namespace pelok {
namespace bench {

namespace {

std::vector<std::string> Names(char prefix, int n) {
  std::vector<std::string> names;
  names.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) names.push_back(prefix + std::to_string(i));
  return names;
}

const std::vector<std::string>& CachedNames(char prefix, int n) {
  static std::map<std::pair<char, int>, std::vector<std::string>> cache;
  auto found = cache.find({prefix, n});
  if (found == cache.end())
    found = cache.emplace(std::make_pair(prefix, n), Names(prefix, n)).first;
  return found->second;
}

// The files go beside the program (in the build tree), on the disk the project works on.
const std::string& StoreDirectory() {
  static const std::string directory = [] {
    char exe[PATH_MAX] = {0};
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
    std::string dir = n > 0 ? std::string(exe, static_cast<size_t>(n)) : std::string("./x");
    dir = dir.substr(0, dir.find_last_of('/')) + "/bench-files";
    mkdir(dir.c_str(), 0755);
    return dir;
  }();
  return directory;
}

}  // namespace

const char* WorkloadName(Workload workload) {
  switch (workload) {
    case Workload::kW1:
      return "W1";
    case Workload::kW2:
      return "W2";
    case Workload::kW3:
      return "W3";
    case Workload::kW4:
      return "W4";
  }
  return "?";
}

const std::vector<std::string>& ValueNames(int n) { return CachedNames('v', n); }
const std::vector<std::string>& KeyNames(int n) { return CachedNames('k', n); }

std::string StorePath(const char* peer, Workload workload, int n) {
  const std::string path =
      StoreDirectory() + "/" + WorkloadName(workload) + "-" + std::to_string(n) + "." + peer;
  RemoveFile(path);
  return path;
}

double FileBytes(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? static_cast<double>(info.st_size) : 0;
}

void RemoveFile(const std::string& path) {
  std::remove(path.c_str());
  std::remove((path + "-journal").c_str());
}

}  // namespace bench
}  // namespace pelok

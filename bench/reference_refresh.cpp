// Times RefreshReferenceData on a release that ships 100,000 reference rows
// (案由, 法律条文 and 常用数据 lists) and 1,000 system document templates of
// 64 KiB each, and reports the peak memory of the refresh alone.
// Targets: under 10 s and under 200 MB.

#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "bench/cpu_time.h"
#include "data/reference_data.h"
#include "tests/support/release_catalogue.h"

namespace {

using court::bench::CpuSeconds;

using court::testing::Pattern;
using court::testing::ReleaseCatalogue;
using nlohmann::json;

constexpr int kCausesOfAction = 50000;
constexpr int kProvisions = 40000;
constexpr int kListRows = 10000;
constexpr int kTemplates = 1000;
constexpr std::size_t kTemplateBytes = 64 * 1024;

ReleaseCatalogue LargeRelease() {
  ReleaseCatalogue release;
  for (int i = 1; i <= kCausesOfAction; ++i)
    release.rows("案由").push_back({i, "案由" + std::to_string(i), i % 4});
  for (int i = 1; i <= kProvisions; ++i)
    release.rows("法律条文").push_back({i, "第" + std::to_string(i) + "条", "1997-10-01 00:00:00", i * 0.5, i, true});
  for (int i = 1; i <= kListRows; ++i)
    release.rows("常用数据").push_back({i, i % 2 ? "案件性质" : "字段名", "内容" + std::to_string(i), nullptr, nullptr, nullptr});
  for (int i = 1; i <= kTemplates; ++i)
    release.rows("文书样本库").push_back({i, "样本" + std::to_string(i), "(系统文书)",
                                          court::access::EncodeBase64(Pattern(kTemplateBytes, static_cast<unsigned>(i)))});
  return release;
}

// The peak resident size since the last reset, in MiB (VmHWM).
double PeakMiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024;
  return -1;
}

// Starts the peak over from the current size, so that building the release
// does not count; returns false where the kernel does not allow it.
bool ResetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return static_cast<bool>(clear);
}

}  // namespace

int main() {
  std::unique_ptr<court::testing::Installation> installation;
  {
    ReleaseCatalogue release = LargeRelease();
    installation = court::testing::InstallCourt(release);
  }
  malloc_trim(0);  // the release's JSON is gone; give its heap back before measuring
  bool reset = ResetPeak();
  double cpu_start = CpuSeconds();
  auto start = std::chrono::steady_clock::now();
  court::data::RefreshReferenceData(installation->run());
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%d reference rows and %d templates of %zu KiB: %.2f s (%.2f s of processor time; target < 10 s)\n",
              kCausesOfAction + kProvisions + kListRows, kTemplates, kTemplateBytes / 1024, seconds,
              CpuSeconds() - cpu_start);
  std::printf("peak memory%s: %.0f MiB (target < 200 MB)\n", reset ? " of the refresh" : " of the process",
              PeakMiB());
  return 0;
}

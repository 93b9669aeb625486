// Times `court-catalogue build` on a large release catalogue: 300 tables,
// 100,000 reference rows and 1,000 OLE values of 64 KiB, from the JSON file
// to the finished .mdb, and reports the peak memory of the whole process.
// Targets: under 5 s and under 200 MB.
//
// Usage: bench_jet_writer [FOLDER]   (default: the system's temporary folder)

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/access/base64.h"
#include "platform/jet/database_writer.h"
#include "platform/jet/json_form.h"

namespace {

constexpr int kSmallTables = 297;
constexpr int kCausesOfAction = 60000;
constexpr int kProvisions = 40000;
constexpr int kTemplates = 1000;
constexpr std::size_t kTemplateBytes = 64 * 1024;

// Writes the input as text, row by row, so that making it costs no memory.
void WriteInput(const std::filesystem::path& path) {
  std::ofstream out(path);
  out << "{\"tables\": [\n";
  for (int t = 0; t < kSmallTables; ++t) {
    out << R"({"name": "表)" << t << R"(", "columns": [{"name": "id", "type": "long"}, {"name": "名称", "type": "text", "size": 50}, {"name": "说明", "type": "memo"}], "rows": [)";
    for (int r = 0; r < 10; ++r) out << (r ? ", " : "") << "[" << r << ", \"名称" << r << "\", \"说明文字\"]";
    out << "]},\n";
  }
  out << R"({"name": "案由", "columns": [{"name": "案由编号", "type": "long"}, {"name": "案由", "type": "text", "size": 100}, {"name": "性质", "type": "integer"}], "rows": [)";
  for (int i = 1; i <= kCausesOfAction; ++i) out << (i > 1 ? ", " : "") << "[" << i << ", \"案由" << i << "\", " << i % 4 << "]";
  out << "]},\n";
  out << R"({"name": "法律条文", "columns": [{"name": "id", "type": "long"}, {"name": "条文", "type": "text", "size": 255}, {"name": "施行", "type": "datetime"}, {"name": "权重", "type": "double"}, {"name": "有效", "type": "boolean"}], "rows": [)";
  for (int i = 1; i <= kProvisions; ++i)
    out << (i > 1 ? ", " : "") << "[" << i << ", \"第" << i << "条\", \"1997-10-01 00:00:00\", " << i * 0.5 << ", true]";
  out << "]},\n";
  out << R"({"name": "文书样本库", "columns": [{"name": "id", "type": "long"}, {"name": "来源", "type": "text", "size": 20}, {"name": "内容", "type": "ole"}], "rows": [)";
  court::access::Bytes bytes(kTemplateBytes);
  for (int i = 1; i <= kTemplates; ++i) {
    for (std::size_t k = 0; k < bytes.size(); ++k) bytes[k] = static_cast<unsigned char>(k * 31 + static_cast<std::size_t>(i));
    out << (i > 1 ? ", " : "") << "[" << i << ", \"(系统文书)\", \"" << court::access::EncodeBase64(bytes) << "\"]";
  }
  out << "]}\n]}\n";
}

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // Linux reports kilobytes
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path folder = argc > 1 ? argv[1] : std::filesystem::temp_directory_path();
  const auto input = folder / "bench_jet_writer.json";
  const auto output = folder / "bench_jet_writer.mdb";
  WriteInput(input);
  const double baseline = PeakMegabytes();

  const auto start = std::chrono::steady_clock::now();
  std::ifstream in(input);
  court::jet::WriteDatabaseFromJson(nlohmann::ordered_json::parse(in), output);
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;

  std::printf("tables %d, reference rows %d, ole values %d x %zu KiB\n", kSmallTables + 3,
              kCausesOfAction + kProvisions, kTemplates, kTemplateBytes / 1024);
  std::printf("input %.1f MB, output %.1f MB\n", static_cast<double>(std::filesystem::file_size(input)) / 1e6,
              static_cast<double>(std::filesystem::file_size(output)) / 1e6);
  std::printf("build: %.2f s, peak memory %.0f MB (%.0f MB before the build)\n", seconds.count(),
              PeakMegabytes(), baseline);
  std::filesystem::remove(input);
  std::filesystem::remove(output);
  return seconds.count() < 5 && PeakMegabytes() < 200 ? 0 : 1;
}

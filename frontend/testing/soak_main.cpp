// dalvogui_soak: many runs of the front-end's logic against the real engine in one process, to
// find what only shows after hundreds of runs: results that drift, engine processes or zombies
// left behind, descriptors that pile up. Runs cycle through four kinds (generation with 127 and
// with 129 verses, division of a listed file, division of a typed number); every run's files must
// equal, byte for byte, those of the first run of its kind. Usage: dalvogui_soak [RUNS] (500).
// Exits 0 when every check held, 1 otherwise, 2 on bad usage.
#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "frontend/logic/module1.h"
#include "frontend/logic/names.h"
#include "frontend/testing/fake_view.h"
#include "frontend/testing/real_engine_rig.h"

namespace dalvo {
namespace {

using Files = std::map<std::string, std::string>;

struct Kind {
  const char* name;
  std::string_view done;  // the status text a finished run shows
};

const Kind kKinds[] = {
    {"generation 127", kGenerationComplete},
    {"division of a listed file", kDivisionComplete},
    {"generation 129", kGenerationComplete},
    {"division of a typed number", kDivisionComplete},
};

// The resident set size of this process in kB, from /proc; 0 when unknown.
long ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string key;
  long value = 0;
  while (status >> key) {
    if (key == "VmRSS:" && status >> value) return value;
  }
  return 0;
}

class Soak {
 public:
  explicit Soak(int runs) : runs_(runs) {}

  int Run() {
    if (!rig_.ok()) return Fail(0, "rig: " + rig_.error());
    const StartupResult started = module_.Form_Load();
    if (!started.ok) return Fail(0, "start-up: " + started.message);
    const int fds_at_start = OpenFdCount();
    const long rss_at_start = ResidentKb();
    // Counted once every kind has run: from then on the viewer holds one report open, which is
    // steady state, not a leak (a generation first shows nothing, a division then shows its report).
    const int first_round = std::min(runs_, static_cast<int>(std::size(kKinds)));
    int fds_after_first_round = -1;
    int fds_max = 0;
    std::vector<int> runs_of_kind(std::size(kKinds), 0);
    const auto began = std::chrono::steady_clock::now();

    for (int run = 1; run <= runs_ && failures_ < kMaxReported; ++run) {
      const std::size_t kind = static_cast<std::size_t>(run - 1) % std::size(kKinds);
      const Files files = OneRun(run, kind);
      ++runs_of_kind[kind];
      auto first = first_of_kind_.find(kind);
      if (first == first_of_kind_.end()) {
        first_of_kind_[kind] = files;
      } else if (files != first->second) {
        Fail(run, std::string(kKinds[kind].name) + ": files differ from the first such run" +
                      Difference(first->second, files));
      }
      const int fds = OpenFdCount();
      if (run == first_round) fds_after_first_round = fds;
      if (fds > fds_max) fds_max = fds;
      if (run % 100 == 0) {
        std::printf("  %d runs, %d descriptors open, %ld kB resident\n", run, fds, ResidentKb());
        std::fflush(stdout);
      }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();

    const int fds_at_end = OpenFdCount();
    if (fds_at_end != fds_after_first_round) {
      Fail(runs_, "descriptors: " + std::to_string(fds_after_first_round) +
                      " after the first run of every kind, " +
                      std::to_string(fds_at_end) + " at the end");
    }
    const std::vector<std::string> children = OwnChildren();
    for (const std::string& child : children) Fail(runs_, "child process left: " + child);
    const std::vector<int> engines = PidsOfProgram(rig_.engine());
    for (const int pid : engines) Fail(runs_, "engine still running: " + std::to_string(pid));

    std::printf("runs: %d in %.1f s (%.0f ms each)\n", runs_, seconds,
                runs_ > 0 ? 1000.0 * seconds / runs_ : 0.0);
    for (std::size_t k = 0; k < std::size(kKinds); ++k) {
      std::printf("  %-28s %d runs, %zu files compared each\n", kKinds[k].name, runs_of_kind[k],
                  first_of_kind_.count(k) ? first_of_kind_[k].size() : std::size_t{0});
    }
    std::printf(
        "descriptors: %d at start, %d after the first run of every kind, %d at most, %d at the end\n",
        fds_at_start, fds_after_first_round, fds_max, fds_at_end);
    std::printf("child processes at the end: %zu; engines running: %zu\n", children.size(),
                engines.size());
    std::printf("resident set: %ld kB at start, %ld kB at the end\n", rss_at_start, ResidentKb());
    std::printf("%s: %d failure(s)\n", failures_ == 0 ? "PASSED" : "FAILED", failures_);
    return failures_ == 0 ? 0 : 1;
  }

 private:
  static constexpr int kMaxReported = 10;

  // Starts one run of `kind` through the commands, ticks it to its end and returns what it
  // left: all the listed files after a generation, the report (and the typed number's file)
  // after a division.
  Files OneRun(int run, std::size_t kind) {
    view_.viewer_text_.clear();
    switch (kind) {
      case 0:
      case 2:
        view_.SetOption1Selected(kind == 0);
        view_.SetOption2Selected(kind == 2);
        module_.Command1_Click();
        break;
      case 1:
        view_.selected_ = "appendix_1_number_15.txt";
        view_.check1_ = true;
        module_.Command2_Click();
        break;
      default:
        view_.custom_text_ = "1234567890123456789012345678901234567890";
        view_.check1_ = false;
        module_.Command5_Click();
        break;
    }
    const std::optional<int> ticks = TickUntilIdle(module_, view_, 1200);
    if (!ticks) Fail(run, "the run did not end; status: " + view_.Status());
    if (view_.Status() != kKinds[kind].done) Fail(run, "status: " + view_.Status());
    if (module_.RunActive() || view_.Buttons()[0] != '1') Fail(run, "window not idle");
    view_.custom_text_.clear();
    view_.statuses_.clear();
    view_.viewer_texts_.clear();

    Files all = FilesIn(rig_.work_dir());
    if (all.count(std::string(kMarkerName)) != 0) Fail(run, "marker left behind");
    if (kind == 0 || kind == 2) {
      Files listed;
      for (const auto& [name, content] : all) {
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".txt") == 0) {
          listed[name] = content;
        }
      }
      return listed;
    }
    Files result{{std::string(kReportName), all[std::string(kReportName)]}};
    if (kind == 3) result[std::string(kCustomNumberName)] = all[std::string(kCustomNumberName)];
    if (kind == 1 && view_.viewer_text_.empty()) Fail(run, "the report was not shown");
    return result;
  }

  static std::string Difference(const Files& a, const Files& b) {
    for (const auto& [name, content] : a) {
      const auto other = b.find(name);
      if (other == b.end()) return " (" + name + " missing)";
      if (other->second != content) return " (" + name + " changed)";
    }
    for (const auto& [name, content] : b) {
      if (a.count(name) == 0) return " (" + name + " extra)";
    }
    return "";
  }

  int Fail(int run, const std::string& what) {
    ++failures_;
    if (failures_ <= kMaxReported) std::fprintf(stderr, "run %d: %s\n", run, what.c_str());
    return 1;
  }

  int runs_;
  int failures_ = 0;
  Session session_{DALVO_ENGINE_PATH};
  RealEngineRig& rig_ = session_.rig();
  FakeView& view_ = session_.view();
  Module1& module_ = session_.module();
  std::map<std::size_t, Files> first_of_kind_;
};

}  // namespace
}  // namespace dalvo

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  int runs = 500;
  if (argc > 2) {
    std::fprintf(stderr, "usage: %s [RUNS]\n", argv[0]);
    return 2;
  }
  if (argc == 2) {
    char* end = nullptr;
    const long parsed = std::strtol(argv[1], &end, 10);
    if (end == argv[1] || *end != '\0' || parsed < 1 || parsed > 1000000) {
      std::fprintf(stderr, "usage: %s [RUNS]  (RUNS from 1 to 1000000)\n", argv[0]);
      return 2;
    }
    runs = static_cast<int>(parsed);
  }
  return dalvo::Soak(runs).Run();
}

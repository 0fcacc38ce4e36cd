#include "engine/division.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>

#include "engine/division_pipeline.h"
#include "engine/division_report.h"
#include "engine/replacement_file.h"

namespace dalvo {

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using InputFile = std::unique_ptr<std::FILE, FileCloser>;

// Opens the input for reading only: a missing input is reported, never created.
InputFile OpenInput(const std::string& name) {
  InputFile file(std::fopen(name.c_str(), "rb"));
  if (!file) return nullptr;
  // A directory opens for reading here and only its reads fail; it is no number file.
  std::error_code error;
  if (std::filesystem::is_directory(name, error)) return nullptr;
  return file;
}

// A report file is replaced only once it is whole; a device or FIFO (/dev/null, a pipe's name)
// and a link to one or to this process's own standard output (/dev/stdout) are written in place.
constexpr ReplaceOptions kReportFile{.write_special_in_place = true, .follow_links_in_place = true};

// True when `report` is a regular file and the very file that `input` reads.
bool ReportIsTheInput(int input, int report) {
  struct stat in {};
  struct stat out {};
  if (input < 0 || report < 0 || ::fstat(input, &in) != 0 || ::fstat(report, &out) != 0) {
    return false;
  }
  return S_ISREG(out.st_mode) && in.st_dev == out.st_dev && in.st_ino == out.st_ino;
}

// The whole division of an open input into `out`, the report included. Ends at the first
// failure: a failed read, because a verdict on the digits read so far would be a wrong one; a
// failed write, because the report is lost anyway and reading on would be wasted.
DivisionOutcome DivideStream(std::FILE* input, const std::string& input_name, ReportBuffer& out,
                             const DivisionOptions& options) {
  PipelineOptions pipeline;
  pipeline.read_bytes = options.read_bytes;
  // The reader seam reads where the descriptor stands; reads at an offset go one at a time
  // through a seek, so chunks read side by side still get the bytes they ask for.
  const auto seek_lock = std::make_shared<std::mutex>();
  if (options.reader != nullptr) {
    pipeline.read = [reader = options.reader, seek_lock](int descriptor, unsigned char* buffer,
                                                         std::size_t size, std::int64_t offset) {
      if (offset < 0) return static_cast<long>(reader(descriptor, buffer, size));
      const std::lock_guard lock(*seek_lock);
      if (::lseek(descriptor, static_cast<off_t>(offset), SEEK_SET) < 0) return -1L;
      return static_cast<long>(reader(descriptor, buffer, size));
    };
  }
  const StreamDivision divided = DivideDescriptor(::fileno(input), out, pipeline);
  if (divided.read_failed) return {DivisionStatus::kInputUnreadable, divided.read_error};
  if (divided.write_failed) return {DivisionStatus::kOutputUnwritable, out.error()};
  out.Append(FormatReportTail(divided.tally, input_name));
  if (!out.Drain()) return {DivisionStatus::kOutputUnwritable, out.error()};
  return {};
}

}  // namespace

DivisionOutcome DivideBy19(const std::string& input_name, std::FILE* report,
                           const DivisionOptions& options) {
  const InputFile input = OpenInput(input_name);
  if (!input) return {DivisionStatus::kInputUnopenable};
  // Standard output appended to the input would be read back as more digits until the disk
  // is full.
  if (ReportIsTheInput(fileno(input.get()), fileno(report))) return {DivisionStatus::kSameFile};
  ReportBuffer out(report, options.write_bytes);
  DivisionOutcome outcome = DivideStream(input.get(), input_name, out, options);
  // The caller may create the completion marker next: everything must have left the process.
  if (std::fflush(report) != 0 && outcome.status == DivisionStatus::kOk) {
    outcome = {DivisionStatus::kOutputUnwritable, errno};
  }
  return outcome;
}

DivisionOutcome DivideBy19ToFile(const std::string& input_name, const std::string& output_name,
                                 const DivisionOptions& options) {
  const InputFile input = OpenInput(input_name);
  if (!input) return {DivisionStatus::kInputUnopenable};
  // Truncating the output would destroy an input that is the same file under another name
  // (a hard link, a symbolic link, a path with dots), so the check compares files, not names.
  std::error_code error;
  if (std::filesystem::equivalent(input_name, output_name, error)) {
    return {DivisionStatus::kSameFile};
  }
  ReplacementFile output;
  if (!output.Open(output_name, kReportFile)) {
    return {DivisionStatus::kOutputUnwritable, output.error()};
  }
  DivisionOutcome outcome;
  {
    ReportBuffer out(output.file(), options.write_bytes);
    outcome = DivideStream(input.get(), input_name, out, options);
  }
  // Only a whole report takes the output's name; after a failure the older report stays.
  if (outcome.status != DivisionStatus::kOk) {
    output.Discard();
  } else if (!output.Commit()) {
    outcome = {DivisionStatus::kOutputUnwritable, output.error()};
  }
  return outcome;
}

std::string UnableToOpenMessage(const std::string& input_name) {
  return "Unable to open file \"" + input_name + "\"!\n\n" +
         "Usage: dalvo [filename]\n\nOr run dalvo" +
         " without parameters to generate the long numbers." + "\n\n";
}

}  // namespace dalvo

#include "division.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>

#include "division_output.h"
#include "division_pipeline.h"
#include "division_report.h"

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
  // The division reads large blocks into its own buffer; a stdio buffer would add a copy.
  std::setvbuf(file.get(), nullptr, _IONBF, 0);
  return file;
}

// Creates or truncates the output with mode 0644 (before the umask), which fopen cannot ask for.
std::FILE* OpenOutput(const std::string& name) {
  const int descriptor = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (descriptor < 0) return nullptr;
  std::FILE* file = ::fdopen(descriptor, "wb");
  if (file == nullptr) {
    ::close(descriptor);
    return nullptr;
  }
  // The report buffer already gathers large writes.
  std::setvbuf(file, nullptr, _IONBF, 0);
  return file;
}

// The whole division of an open input into `out`, the report included, unless the input fails:
// then the digits read so far are no number, and no report tail is written.
DivisionStatus DivideStream(std::FILE* input, const std::string& input_name, ReportBuffer& out,
                            std::size_t read_bytes) {
  PipelineOptions options;
  options.read_bytes = read_bytes;
  const StreamDivision divided = DivideDescriptor(::fileno(input), out, options);
  if (divided.read_failed) return DivisionStatus::kInputUnreadable;
  out.Append(FormatReportTail(divided.tally, input_name));
  return out.Drain() ? DivisionStatus::kOk : DivisionStatus::kOutputUnwritable;
}

}  // namespace

DivisionOutcome DivideBy19(const std::string& input_name, std::FILE* report) {
  return DivideBy19(input_name, report, DivisionBuffers{});
}

DivisionOutcome DivideBy19(const std::string& input_name, std::FILE* report,
                           const DivisionBuffers& buffers) {
  const InputFile input = OpenInput(input_name);
  if (!input) return {DivisionStatus::kInputUnopenable};
  ReportBuffer out(report, buffers.write_bytes);
  DivisionStatus status = DivideStream(input.get(), input_name, out, buffers.read_bytes);
  // The caller may create the completion marker next: everything must have left the process.
  if (std::fflush(report) != 0 && status == DivisionStatus::kOk) {
    status = DivisionStatus::kOutputUnwritable;
  }
  return {status};
}

DivisionOutcome DivideBy19ToFile(const std::string& input_name, const std::string& output_name) {
  return DivideBy19ToFile(input_name, output_name, DivisionBuffers{});
}

DivisionOutcome DivideBy19ToFile(const std::string& input_name, const std::string& output_name,
                                 const DivisionBuffers& buffers) {
  const InputFile input = OpenInput(input_name);
  if (!input) return {DivisionStatus::kInputUnopenable};
  // Truncating the output would destroy an input that is the same file under another name
  // (a hard link, a symbolic link, a path with dots), so the check compares files, not names.
  std::error_code error;
  if (std::filesystem::equivalent(input_name, output_name, error)) {
    return {DivisionStatus::kSameFile};
  }
  std::FILE* output = OpenOutput(output_name);
  if (output == nullptr) return {DivisionStatus::kOutputUnwritable};
  DivisionStatus status;
  {
    ReportBuffer out(output, buffers.write_bytes);
    status = DivideStream(input.get(), input_name, out, buffers.read_bytes);
  }
  if (std::fclose(output) != 0 && status == DivisionStatus::kOk) {
    status = DivisionStatus::kOutputUnwritable;
  }
  return {status};
}

std::string UnableToOpenMessage(const std::string& input_name) {
  return "Unable to open file \"" + input_name + "\"!\n\n" +
         "Usage: dalvo [filename]\n\nOr run dalvo" +
         " without parameters to generate the long numbers." + "\n\n";
}

}  // namespace dalvo

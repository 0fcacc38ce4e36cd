// The front-end's fixed names and the texts it shows, in one place. Names of files are compared
// without regard to case wherever they are used; the texts are shown exactly as written here.
// Constants only: nothing here can fail.
#pragma once

#include <string_view>

namespace dalvo {

inline constexpr char kSeparator = '/';

inline constexpr std::string_view kEngineName = "dalvo";
inline constexpr std::string_view kWorkDirName = "dalvo work dir";
inline constexpr std::string_view kReportName = "latest_division_report.tmp";
inline constexpr std::string_view kMarkerName = "dalvoopc.tmp";
inline constexpr std::string_view kCustomNumberName = "custom_number.tmp";
inline constexpr std::string_view kListPattern = "*.txt";
inline constexpr std::string_view kHelpName = "Dalvo.txt";

inline constexpr std::string_view kCaptionGlue = "  -  ";

inline constexpr std::string_view kWelcome = "Welcome to dalvo!";
inline constexpr std::string_view kGenerating = "Generating numbers...";
inline constexpr std::string_view kDividingFile = "Dividing numberfile: ";
inline constexpr std::string_view kDividingCustom = "Dividing custom number...";
inline constexpr std::string_view kGenerationComplete = "Number generation complete!";
inline constexpr std::string_view kDivisionComplete = "Number division complete!";
inline constexpr std::string_view kGenerationFailed = "Number generation failed!";
inline constexpr std::string_view kDivisionFailed = "Number division failed!";
inline constexpr std::string_view kGenerationCompleteUnrenamed =
    "Number generation complete! Some files could not be renamed.";
inline constexpr std::string_view kEngineNotStarted = "The engine could not be started!";
inline constexpr std::string_view kEngineMissing = "The engine program is missing!";
inline constexpr std::string_view kEngineNotExecutable = "The engine program cannot be executed!";
inline constexpr std::string_view kEngineStopped = "The engine stopped before finishing!";
inline constexpr std::string_view kFileMissing =
    "File does not exist! You must regenerate the numbers!";
inline constexpr std::string_view kAllDeleted = "All listed files deleted!";
inline constexpr std::string_view kSomeNotDeleted = "Some listed files could not be deleted!";

// The names under which the engine writes the long-number files of one generation.
inline constexpr std::string_view kGeneratedNames[] = {
    "number1.txt",  "number2.txt",  "number3.txt",  "number4.txt",  "number5.txt",
    "number6.txt",  "number7.txt",  "number8.txt",  "number9.txt",  "number10.txt",
    "number11.txt", "number12.txt", "number13.txt", "number14.txt", "number15.txt",
    "n13038d.txt",  "n37088d.txt",  "ap24-63.txt",  "ap24-64.txt",  "ap24-65.txt",
    "n14453d.txt",  "n20257d.txt",
};

// Publication: the patterns that find a generation's files and the names they are given. The
// deletion patterns clear the previous run's published files.
inline constexpr std::string_view kPublishedPatterns[] = {"*ppendi*", "*kelva*"};
inline constexpr std::string_view kNumberFilesPattern = "number*.txt";
inline constexpr std::string_view kNumberPublishedPrefix = "appendix_1_number_";
inline constexpr std::string_view kProofFilesPattern = "ap24-*.txt";
inline constexpr std::string_view kProofPublishedPrefix = "appendix_24_proof_";
inline constexpr std::string_view kPerspective1Source = "n13038d.txt";
inline constexpr std::string_view kPerspective1Name = "kelvatrons_perspective_nov_1989_nr_1.txt";
inline constexpr std::string_view kPerspective2Source = "n37088d.txt";
inline constexpr std::string_view kPerspective2Name = "kelvatrons_perspective_nov_1989_nr_2.txt";

}  // namespace dalvo

// The main window's commands: generate, divide the selected file or the custom number, clear
// it, delete the listed files, and the reactions to clicks in the list and typing.
#include "frontend/logic/engine_args.h"
#include "frontend/logic/module1.h"
#include "frontend/logic/names.h"

namespace dalvo {

void Module1::Command1_Click() {
  if (!KeepWorkDir()) return;
  // The two options exclude each other; should the toolkit ever report neither (or both),
  // the default count of 127 verses is generated rather than nothing.
  const bool verses129 = view_.Option2Selected() && !view_.Option1Selected();
  Launch({.kind = RunKind::kGeneration, .refresh_list = true}, std::string(kGenerating),
         GenerateArgs(verses129));
}

void Module1::Command2_Click() {
  if (!KeepWorkDir()) return;
  const std::string name = view_.SelectedFileName();
  if (!SelectedFileStillThere(name)) {
    SetButtonStates(1);
    return;
  }
  Launch({.kind = RunKind::kDivision, .refresh_list = true}, std::string(kDividingFile) + name,
         DivideArgs(name, std::string(kReportName)));
}

void Module1::Command3_Click() {
  if (!KeepWorkDir()) return;
  const std::string pattern(kListPattern);
  const MatchResult first = platform_.FirstMatch(work_dir_, pattern);
  bool all_deleted = first.ok;
  if (first.ok && !first.name.empty()) {
    all_deleted = platform_.DeleteMatching(work_dir_, pattern);
  }
  // The refreshed list shows what is left, and the status line says that something is.
  RefreshFile1();
  SetButtonStates(1);
  if (all_deleted) {
    view_.SetStatus(std::string(kAllDeleted));
  } else {
    view_.Beep();
    view_.SetStatus(std::string(kSomeNotDeleted));
  }
}

void Module1::Command4_Click() {
  if (KeepWorkDir()) ViewDivisionReport();
}

void Module1::Command5_Click() {
  if (!KeepWorkDir()) return;
  const std::string custom(kCustomNumberName);
  Launch({.kind = RunKind::kDivision, .write_custom_number = true},
         std::string(kDividingCustom), DivideArgs(custom, std::string(kReportName)));
}

void Module1::Command6_Click() {
  view_.SetCustomNumberText("");
  view_.FocusCustomNumber();
}

void Module1::Command7_Click() { ShowHelp(); }

void Module1::Text1_Change() { SetButtonStates(1); }

void Module1::File1_Click() {
  if (!KeepWorkDir()) return;
  if (SelectedFileStillThere(view_.SelectedFileName())) view_.SetStatus(FileSizeText());
  SetButtonStates(1);
}

bool Module1::SelectedFileStillThere(const std::string& name) {
  if (Present(name) == Presence::kPresent) return true;
  view_.Beep();
  view_.SetStatus(std::string(kFileMissing));
  RefreshFile1();
  return false;
}

void Module1::File1_DblClick() {
  if (KeepWorkDir()) ViewSelectedFile();
}

}  // namespace dalvo

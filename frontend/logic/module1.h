// Module1: the front-end's state (paths, run-state flags) and every procedure and event handler
// of its two windows, written against the Platform and View seams. It borrows both (they must
// outlive it) and is passive: the windows call the handlers, the window's timer calls
// Timer1_Timer. Failures show in the status label with the beep; only start-up returns one.
#pragma once

#include <string>
#include <vector>

#include "frontend/logic/platform.h"
#include "frontend/logic/view.h"

namespace dalvo {

// The outcome of start-up. When `ok` is false, `message` names the problem (for the work
// directory: its path, why, and what works; or that another copy is using it); the program
// shows it and exits non-zero.
struct StartupResult {
  bool ok = true;
  std::string message;
};

// What kind of engine run is under way, if any: none, a generation or a division, numbered 0, 1
// and 2 so that a value printed by a test or a debugger reads the same in every build.
enum class RunKind { kNone = 0, kGeneration = 1, kDivision = 2 };

// What the last call of RenameGeneratedFiles did.
enum class RenameOutcome { kDone, kAbandoned };

class Module1 {
 public:
  // How many consecutive ticks may abandon the renaming before the run is finished anyway.
  static constexpr int kMaxAbandonedRenameTicks = 20;

  Module1(Platform& platform, View& view);
  Module1(const Module1&) = delete;
  Module1& operator=(const Module1&) = delete;

  // --- Form1 (main window) events ---

  // Start-up: paths, caption, work directory (refused when unsafe), window centred, controls
  // initialised, current directory, stale marker removed, buttons, list, greeting. On failure
  // nothing is written into the work directory and the window must not be shown.
  [[nodiscard]] StartupResult Form_Load();
  void Form_Activate();  // focus to the custom number box
  void Form_Unload();    // empties and unloads the viewer, empties Text1; the engine keeps running

  void Command1_Click();  // generate (127 or 129 verses by the option buttons)
  void Command2_Click();  // divide the selected file
  void Command3_Click();  // delete all listed files
  void Command4_Click();  // view the latest division report
  void Command5_Click();  // divide the custom number
  void Command6_Click();  // clear the custom number
  void Command7_Click();  // help
  void Text1_Change();
  void File1_Click();
  void File1_DblClick();
  void Timer1_Timer();  // the 50 ms completion poll

  // --- Form2 (viewer) events ---
  void Form2_Load();
  void Form2_Resize();
  void Form2_Unload();
  void Menu1_Click();  // "Close!"

  // --- Procedures (public so tests and the windows can call them) ---

  // Sets AppDir, TempDir (a temporary directory of the user's own, absolute) and the engine's
  // path from the platform.
  void InitPaths();
  // Appends "  -  " and the unscrambled 25-character text to the main window's caption.
  void DecorateCaption();
  // Checks or creates the work directory (mode 0700), holds it and locks it for this program,
  // removes the hidden temporaries a killed run left in it, and sets WorkDir. Refuses an entry
  // that is not a real directory, not owned by the current user, or writable by group or
  // others, and one that another copy (or the engine of a closed copy) has locked.
  [[nodiscard]] StartupResult EnsureWorkDir();
  // Clears MarkerSeen, DivisionPending, RefreshPending and RunKind (RenameDone stays).
  void ResetRunFlags();
  // Deletes the completion marker when present; maintains MarkerSeen. Errors are swallowed.
  void CheckCompletionMarker();
  // Mode 0 disables the seven buttons; mode 1 sets their idle states (ignored while a run
  // lasts: the buttons stay disabled); other modes change nothing.
  void SetButtonStates(int mode);
  // Gives freshly generated files their publication names (deleting the previous run's once
  // per generation). kAbandoned after a second failure within the call.
  RenameOutcome RenameGeneratedFiles();
  // "<name>  -  <size> bytes." for the selected file, or "" when none is selected or absent.
  std::string FileSizeText();
  void ShowHelp();
  void ViewDivisionReport();
  void ViewSelectedFile();

  // --- State, read-only (set by InitPaths / EnsureWorkDir; fixed afterwards) ---
  const std::string& WorkDir() const { return work_dir_; }
  // The application directory and the engine's path. The program itself reads its members;
  // these exist for the tests, which check the paths start-up derives from where it runs.
  const std::string& AppDir() const { return app_dir_; }
  const std::string& EngineProgram() const { return engine_program_; }

  bool MarkerSeen() const { return marker_seen_; }
  bool DivisionPending() const { return division_pending_; }
  bool RefreshPending() const { return refresh_pending_; }
  // Qualified, because inside the class the accessor's name hides the enum's.
  dalvo::RunKind RunKind() const { return run_kind_; }
  bool RenameDone() const { return rename_done_; }
  // True from a successful launch until the run has finished (or failed to start).
  bool RunActive() const { return run_active_; }

 private:
  enum class Presence { kAbsent, kPresent, kUnknown };

  // Why the work directory could not be taken, when it could not.
  struct TakeResult {
    bool ok = true;
    bool busy = false;      // another copy of the program holds it
    bool not_made = false;  // nothing stood there and it could not be made
    std::string reason;     // unless busy: what is wrong with it
  };

  // Why the directory `path` could not be made: its parent is missing, or something else.
  std::string CreationFailure(const std::string& path);

  // Holds the work directory at `path` by the start-up rules: made private when missing,
  // refused when unsafe, locked against a second copy. Nothing is held when it fails.
  TakeResult TakeWorkDir(const std::string& path);
  // Before a command that touches the work directory: true when the held directory is still
  // the one its name refers to and still passes the start-up check (a real directory, the
  // user's, not writable by group or others), or could be taken again by the start-up rules;
  // otherwise the status line says why nothing was done, and false.
  bool KeepWorkDir();
  // Lists the work directory into File1.
  void RefreshFile1();
  // Deletes the hidden temporaries of earlier runs from the work directory `dir` (ends in a
  // separator). Only while it is locked: then no engine is writing them. A name that cannot be
  // deleted is left for the next start-up.
  void RemoveLeftoverTemporaries(const std::string& dir);
  // After a generation that failed: removes only the files this run made under names that
  // did not exist at the launch; every file that was there before stays, changed or not.
  void DiscardGeneration();

  // The presence test: a listing of WorkDir & name yields that name (case ignored).
  Presence Present(const std::string& name);
  // The presence test of the selected file `name`; when it is not there: the beep, the
  // missing-file status and a fresh list, and false.
  bool SelectedFileStillThere(const std::string& name);
  // How a run is launched besides its engine arguments.
  struct LaunchOptions {
    dalvo::RunKind kind = dalvo::RunKind::kNone;
    bool refresh_list = false;         // refresh the file list at the run's end
    bool write_custom_number = false;  // write Text1 to the custom number file first
  };
  // Launches an engine run of `options.kind` with the engine arguments `args`, showing
  // `status_text` while it lasts.
  void Launch(const LaunchOptions& options, const std::string& status_text,
              const std::vector<std::string>& args);
  // Ends a run that cannot go on: status text, beep, flags reset, idle buttons, timer off.
  void AbortRun(const std::string& status_text);
  // Shows the file dir & name in the viewer, held open and read on demand (existence test;
  // lines end at CR, CR LF or LF); its start is indexed here, the rest by the viewer.
  void LoadIntoViewer(const std::string& dir, const std::string& name, bool append_paths);
  bool DeletionGroup();
  bool RenamingGroup();

  Platform& platform_;
  View& view_;

  std::string app_dir_;
  std::string temp_dir_;
  std::string work_dir_;
  std::string engine_program_;
  std::vector<std::string> temp_make_first_;  // the fallback's folders, made when missing
  std::string temp_problem_;                  // why no temporary directory could be chosen

  bool marker_seen_ = false;
  bool division_pending_ = false;
  bool refresh_pending_ = false;
  dalvo::RunKind run_kind_ = dalvo::RunKind::kNone;
  bool rename_done_ = false;

  bool run_active_ = false;
  bool deletion_done_ = false;    // the deletion group ran for the current generation
  int abandoned_rename_ticks_ = 0;
  std::vector<EntryInfo> generation_before_;  // kGeneratedNames as they were at the launch
};

}  // namespace dalvo

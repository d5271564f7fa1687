// A setup from its command line to its exit code: which end gives which code, and runs with no
// window (/S) over the fake platform, their logs, and that nothing is ever shown or asked.
#include "run/setup_run.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "integration/run_report.h"
#include "integration/silent_dialog.h"
#include "integration/uninstall_registration.h"
#include "tests/unit/example_description.h"
#include "tests/unit/fake_platform.h"

namespace {

TEST(SetupRun, ExitCodes) {
  const struct {
    SetupEnd end;
    bool unattended;
    int code;
  } codes[] = {
      {SetupEnd::kInstalled, true, 0},
      {SetupEnd::kInstalled, false, 0},
      {SetupEnd::kCancelled, false, 1},
      {SetupEnd::kUnusableDescription, true, 2},
      {SetupEnd::kUnusableDescription, false, 0},  // the dialog's reader asks to quit with 0
      {SetupEnd::kUnusableCommandLine, true, 2},
      {SetupEnd::kFolderRefused, true, 3},
      {SetupEnd::kIncomplete, true, 4},
      {SetupEnd::kIncomplete, false, 4},
      {SetupEnd::kDamagedPayload, true, 2},
      {SetupEnd::kDamagedPayload, false, 2},
  };
  for (const auto& c : codes) {
    FakePlatform fake;
    RunLog log(fake, "s.log");
    EXPECT_EQ(ExitCode(log, c.end, c.unattended), c.code) << static_cast<int>(c.end);
    EXPECT_EQ(fake.logs["s.log"], "exit code: " + std::to_string(c.code) + "\r\n");
  }
  // How the dialog ended: OK after a run, Cancel (the button, Escape, the close box), or the
  // quit request after a description error.
  const struct {
    int modalResult;
    InstallOutcome lastRun;
    SetupEnd end;
  } dialog[] = {
      {kIdOk, InstallOutcome::kInstalled, SetupEnd::kInstalled},
      {kIdOk, InstallOutcome::kIncomplete, SetupEnd::kIncomplete},
      {kIdCancel, InstallOutcome::kFolderRefused, SetupEnd::kCancelled},
      {-1, InstallOutcome::kFolderRefused, SetupEnd::kUnusableDescription},
  };
  for (const auto& c : dialog)
    EXPECT_EQ(DialogEnd(c.modalResult, c.lastRun), c.end) << c.modalResult;
}

// An entry naming C:\Tools\Viewer, with old.txt recorded and, when `oldLeft`, still there;
// `uninstall` is what its uninstaller does when started.
std::function<void(FakePlatform&)> Earlier(std::function<void(FakePlatform&)> uninstall,
                                           bool oldLeft = false) {
  return [uninstall, oldLeft](FakePlatform& f) {
    std::string key = std::string(kUninstallKeyPrefix) + "Viewer";
    f.registry[key]["InstallTo"] = "C:\\Tools\\Viewer";
    f.registry[key][kInstalledFilesValue] = std::string("old.txt\0Viewer.exe\0", 20);
    f.AddFolder("C:\\Tools\\Viewer");
    if (oldLeft)
      f.AddFile("C:\\Tools\\Viewer\\old.txt");
    f.whileRunning = uninstall;
  };
}

// A damaged payload stops setup before anything: shown with the dialog, logged either way.
TEST(SetupRun, DamagedPayload) {
  for (bool unattended : {false, true}) {
    FakePlatform fake;
    RunLog log(fake, "s.log");
    MessageText failures;
    RunReport report(log, fake, unattended, failures);
    EXPECT_TRUE(AcceptPayload(report, PayloadState::kNone));
    EXPECT_TRUE(AcceptPayload(report, PayloadState::kIntact));
    EXPECT_FALSE(AcceptPayload(report, PayloadState::kDamaged));
    EXPECT_EQ(fake.logs["s.log"], "payload: damaged or cut short: nothing was installed\r\n");
    EXPECT_EQ(fake.CallsStartingWith("ShowMessage(This setup program is damaged").size(),
              unattended ? 0u : 1u);
  }
}

TEST(SetupRun, UnattendedRuns) {
  const struct {
    const char* arguments;
    std::function<void(FakePlatform&)> prepare;
    SetupEnd end;
    const char* line;  // a line of s.log; null: nothing is logged
    bool installs;     // files are copied
    bool starts;
  } runs[] = {
      {"/S", nullptr, SetupEnd::kInstalled, nullptr, true, false},
      {"/S /RUN /LOG=s.log /D=C:\\Other Place", nullptr, SetupEnd::kInstalled,
       "program: \"C:\\Other Place\\Viewer.exe\": started", true, true},
      {"/S /LOG=s.log", nullptr, SetupEnd::kInstalled, "folder: C:\\Program Files\\Viewer: created",
       true, false},
      {"/S /X /LOG=s.log", nullptr, SetupEnd::kUnusableCommandLine, "argument: /X: not understood",
       false, false},
      {"/S /LOG=s.log", [](FakePlatform& f) { f.logWritable = false; },
       SetupEnd::kUnusableCommandLine, nullptr, false, false},
      {"/S /LOG=s.log", [](FakePlatform& f) { f.files.clear(); }, SetupEnd::kUnusableDescription,
       "setup.inf: Cannot open 'setup.inf'!", false, false},
      {"/S /LOG=s.log /D=C:\\Apps\\Viewer",
       [](FakePlatform& f) { f.makeFolder["C:\\Apps\\Viewer"] = FolderCreation::kFailed; },
       SetupEnd::kFolderRefused, "folder: C:\\Apps\\Viewer: Cannot create directory!", false,
       false},
      {"/S /RUN /LOG=s.log", [](FakePlatform& f) { f.copyFails.insert("Viewer.exe"); },
       SetupEnd::kIncomplete, "file: Viewer.exe: skipped: The file is in use.", true, false},
      // Installed before: without /D= it goes there again; with another folder it moves, once
      // the earlier installation's uninstaller has removed its entry.
      {"/S /LOG=s.log", Earlier(nullptr), SetupEnd::kInstalled,
       "earlier installation: C:\\Tools\\Viewer: its folder is the one offered", true, false},
      {"/S /LOG=s.log", Earlier(nullptr), SetupEnd::kInstalled,
       "folder: C:\\Tools\\Viewer: created", true, false},
      {"/S /LOG=s.log /D=C:\\Other", Earlier([](FakePlatform& f) { f.registry.clear(); }),
       SetupEnd::kInstalled,
       "earlier installation: C:\\Tools\\Viewer: removed: its uninstaller ended with exit code 0",
       true, false},
      {"/S /LOG=s.log /D=C:\\Other", Earlier([](FakePlatform& f) { f.runExitCode = 0xC0000005; }),
       SetupEnd::kFolderRefused,
       "earlier installation: C:\\Tools\\Viewer: not removed: nothing was installed: its "
       "uninstaller ended with exit code 3221225477",
       false, false},
      {"/S /LOG=s.log /D=C:\\Other",
       Earlier(
           [](FakePlatform& f) {
             f.registry.clear();
             f.runExitCode = 3;
           },
           true),
       SetupEnd::kIncomplete,
       "earlier file: C:\\Tools\\Viewer\\old.txt: left: its uninstaller left it", true, false},
  };
  for (const auto& r : runs) {
    FakePlatform fake;
    fake.files["setup.inf"] = kExampleDescription;
    fake.listing = {{"Viewer.exe"}, {"readme.txt"}, {"UNINSTAL.EXE"}};
    fake.specialFolders[kCsidlCommonDesktopDirectory] = "C:\\Desktop";
    fake.specialFolders[kCsidlCommonPrograms] = "C:\\Programs";
    fake.openableKeys.insert(kUninstallRoot);
    if (r.prepare)
      r.prepare(fake);
    CommandLine line;
    ParseCommandLine(r.arguments, kSetupSwitches, line);
    RunLog log(fake, line.hasLog ? line.log : nullptr);
    log.Header("setup.exe");
    SilentDialog dialog(log, false);
    MessageText failures;
    RunReport report(log, dialog, true, failures);
    OwnedSettings settings;
    EXPECT_EQ(RunUnattended(InstallerSystem(dialog, fake, fake, fake, fake, fake, fake), dialog,
                            report, settings, line),
              r.end)
        << r.arguments;
    const std::string& written = fake.logs["s.log"];
    if (r.line)
      EXPECT_NE(written.find(std::string("\r\n") + r.line + "\r\n"), std::string::npos)
          << r.arguments << "\n"
          << written;
    else
      EXPECT_EQ(written.find("\r\n"), written.rfind("\r\n")) << "more than the header";
    EXPECT_EQ(fake.CallsStartingWith("CopyOneFile").empty(), !r.installs) << r.arguments;
    EXPECT_EQ(fake.CallsStartingWith("StartProgram").size(), r.starts ? 1u : 0u) << r.arguments;
    // Nobody is there: nothing is shown or asked, not even the description's error.
    EXPECT_TRUE(fake.CallsStartingWith("ShowMessage").empty()) << r.arguments;
    EXPECT_TRUE(fake.CallsStartingWith("AskYesNo").empty()) << r.arguments;
  }
}

}  // namespace

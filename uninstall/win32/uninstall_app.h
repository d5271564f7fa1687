// CUninstallApp: the uninstaller as an application. Its one static instance runs the uninstall
// over the Win32 platform; there is no window of its own, only message boxes.
#pragma once

#include "frame/frame_app.h"

class CUninstallApp final : public FrameApp {
 public:
  // Runs the uninstall as its command line asks and returns false: the process ends with it,
  // with the exit code the run asked for (UninstallOutcome).
  bool InitInstance() override;
};

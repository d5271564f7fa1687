// CSetupApp: the installer as an application. Its one static instance reads the command line and
// runs the setup dialog, or, with /S, installs with no window at all.
#pragma once

#include "frame/frame_app.h"

class CSetupApp final : public FrameApp {
 public:
  // Runs the setup and returns false, however it ended, so that the process ends with it; the
  // exit code is that of the quit request it leaves behind.
  bool InitInstance() override;
};

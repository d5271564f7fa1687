// CSetupApp: the installer as an application. Its one static instance runs the setup dialog.
#pragma once

#include "frame/frame_app.h"

class CSetupApp final : public FrameApp {
 public:
  // Runs the setup dialog and returns false, whatever the dialog returned, so that the process
  // ends with it.
  bool InitInstance() override;
};

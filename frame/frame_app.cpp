#include "frame/frame_app.h"

FrameApp* FrameApp::current_ = nullptr;

FrameApp::FrameApp() {
  current_ = this;
}

HICON FrameApp::LoadIconResource(int id) const {
  return LoadIconA(instance_, MAKEINTRESOURCEA(id));
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
  FrameApp* app = FrameApp::Current();
  if (!app)
    return 1;
  app->instance_ = instance;
  if (arguments)
    app->arguments_ = arguments;
  app->InitInstance();
  // A quit request that ended a modal loop was posted again for whoever runs outside it: here
  // that is the entry point, and the request's code is the process's exit code.
  MSG quit;
  if (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
    return static_cast<int>(quit.wParam);
  return 0;
}

// FrameApp: the application object. The program defines one static instance; the entry point
// (frame_app.cpp) starts it by calling its InitInstance.
#pragma once

#include <windows.h>

class FrameApp {
 public:
  FrameApp();
  FrameApp(const FrameApp&) = delete;
  FrameApp& operator=(const FrameApp&) = delete;

  // The program's work, run once by the entry point. The result says whether a message loop
  // should follow it; this frame never runs one, so the process ends when InitInstance returns.
  virtual bool InitInstance() = 0;

  // The one application object, or null when the program defines none.
  static FrameApp* Current() { return current_; }

  HINSTANCE Instance() const { return instance_; }
  // What the program was started with after its own name, as WinMain was given it.
  const char* Arguments() const { return arguments_; }
  // The icon group `id` of the program's resources.
  HICON LoadIconResource(int id) const;

 protected:
  ~FrameApp() = default;

  // Ctl3d gave the controls of 16-bit Windows their three-dimensional look. Every Windows this
  // program runs on draws them that way itself, so there is nothing left to enable; the call
  // stays at start-up so that InitInstance still reads as the program's steps.
  void Enable3dControls() {}

 private:
  friend int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int);

  static FrameApp* current_;
  HINSTANCE instance_ = nullptr;
  const char* arguments_ = "";
};

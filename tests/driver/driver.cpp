// driver.exe: steers the installer's dialogs from inside the same Wine prefix, for the
// end-to-end tests. Run without arguments for its commands. Every wait has a deadline; on
// timeout it names what it waited for and exits with 1 (2 for a usage error).
#include <fcntl.h>
#include <inttypes.h>
#include <io.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include <commctrl.h>

#include "tests/driver/remote_tree.h"
#include "tests/driver/run_command.h"
#include "tests/driver/window_search.h"

namespace {

const char kUsage[] =
    "usage: driver.exe [-t MILLISECONDS] COMMAND ARGUMENTS\n"
    "A DIALOG is a top-level #32770 window: its exact caption, or @0xHANDLE.\n"
    "Commands wait for the dialog to be visible with its controls (default 10000 ms).\n"
    "  list                    the #32770 windows: handle, visibility, caption\n"
    "  wait DIALOG             waits for it; prints its handle\n"
    "  gone DIALOG             waits until no such window exists\n"
    "  caption DIALOG          its caption\n"
    "  rect DIALOG             its place on the screen as WIDTHxHEIGHT+X+Y\n"
    "  text DIALOG ID          a control's text\n"
    "  settext DIALOG ID TEXT  sets a control's text\n"
    "  checked DIALOG ID       a check box's state: 0, 1 or 2\n"

    "  enabled DIALOG [ID]     1 when the dialog (or its control) takes input, else 0\n"
    "  click DIALOG ID         clicks an enabled button (posted, so the driver never blocks)\n"
    "  post DIALOG ID          posts a click of the button, enabled or not, as a stray one\n"
    "  answers DIALOG MS       until it is gone, asks it with a message every 500 ms; prints\n"
    "                          how many it did not answer within MS and the longest answer's ms\n"
    "  close DIALOG            presses its close box\n"
    "  key DIALOG VK           types a key (virtual-key code, e.g. 27 for Escape) into it\n"
    "  statics DIALOG          the text of each static control, one a line\n"
    "  icon DIALOG             1 when one of its static controls shows an icon, else 0\n"
    "  children DIALOG         each child window: id, class, visibility, style, text\n"
    "  msgbox TITLE            waits for a message box's text and prints it\n"
    "  run COMMANDLINE         starts it as the list of installed programs starts an\n"
    "                          UninstallString, waits for it to end, prints \"exit N\"\n"
    "  tree DIALOG             the items of its tree view, indented by level, expanded ones only\n"
    "  select DIALOG ITEM...   from the top of its tree, expands to ITEM after ITEM (exact item\n"
    "                          texts) and selects the last one\n"
    "  choose DIALOG PATH      selects the folder PATH (C:\\dir\\sub) in its tree, expanding\n"
    "                          the way to it\n";

constexpr DWORD kDefaultTimeout = 10000;
constexpr int kTextCap = 1024;

struct Args {
  int count;
  char** values;
};

int Usage() {
  fputs(kUsage, stderr);
  return 2;
}

bool ParseId(const char* text, int* id) {
  char* end = nullptr;
  long value = strtol(text, &end, 0);
  if (end == text || *end != '\0')
    return false;
  *id = static_cast<int>(value);
  return true;
}

// The control with that id, waited for because a dialog may still be adding its controls.
HWND WaitForControl(HWND dialog, int id, const Deadline& deadline) {
  HWND control = nullptr;
  if (!WaitFor(deadline, [&] { return (control = GetDlgItem(dialog, id)) != nullptr; })) {
    Fail("timed out after %lu ms waiting for control %d", deadline.Limit(), id);
  }
  return control;
}

void PrintLine(const char* text) {
  fputs(text, stdout);
  fputc('\n', stdout);
}

BOOL CALLBACK ListOne(HWND window, LPARAM) {
  if (!HasClass(window, "#32770"))
    return TRUE;
  char caption[kTextCap];
  GetWindowTextA(window, caption, sizeof caption);
  printf("@%#" PRIxPTR "\t%s\t%s\n", reinterpret_cast<uintptr_t>(window),
         IsWindowVisible(window) ? "visible" : "hidden", caption);
  return TRUE;
}

struct StaticTexts {
  const Deadline* deadline;
  int count;
  char longest[kTextCap];
};

BOOL CALLBACK PrintStatic(HWND child, LPARAM param) {
  StaticTexts& texts = *reinterpret_cast<StaticTexts*>(param);
  if (!HasClass(child, "Static"))
    return TRUE;
  char text[kTextCap];
  if (ReadControlText(child, text, sizeof text, *texts.deadline) && text[0] != '\0') {
    PrintLine(text);
    ++texts.count;
  }
  return TRUE;
}

BOOL CALLBACK CollectLongestStatic(HWND child, LPARAM param) {
  StaticTexts& texts = *reinterpret_cast<StaticTexts*>(param);
  if (!HasClass(child, "Static"))
    return TRUE;
  char text[kTextCap];
  if (ReadControlText(child, text, sizeof text, *texts.deadline) &&
      strlen(text) > strlen(texts.longest)) {
    memcpy(texts.longest, text, strlen(text) + 1);
  }
  return TRUE;
}

struct ChildList {
  const Deadline* deadline;
};

BOOL CALLBACK PrintChild(HWND child, LPARAM param) {
  const ChildList& list = *reinterpret_cast<ChildList*>(param);
  char className[64] = "";
  char text[kTextCap] = "";
  GetClassNameA(child, className, sizeof className);
  ReadControlText(child, text, sizeof text, *list.deadline);
  LONG style = GetWindowLongA(child, GWL_STYLE);
  printf("%d\t%s\t%s\t%#lx\t%s\n", GetDlgCtrlID(child), className,
         IsWindowVisible(child) ? "visible" : "hidden", static_cast<unsigned long>(style), text);
  return TRUE;
}

struct IconSearch {
  const Deadline* deadline;
  bool found;
};

BOOL CALLBACK FindIcon(HWND child, LPARAM param) {
  IconSearch& search = *reinterpret_cast<IconSearch*>(param);
  DWORD_PTR icon = 0;
  if (HasClass(child, "Static") && SendBounded(child, STM_GETICON, 0, 0, *search.deadline, &icon) &&
      icon != 0) {
    search.found = true;
    return FALSE;
  }
  return TRUE;
}

HWND FindTree(HWND dialog, const Deadline& deadline) {
  HWND tree = nullptr;
  if (!WaitFor(deadline, [&] {
        return (tree = FindWindowExA(dialog, nullptr, WC_TREEVIEWA, nullptr)) != nullptr;
      })) {
    Fail("timed out after %lu ms waiting for a tree view in the dialog", deadline.Limit());
  }
  return tree;
}

void PrintTree(RemoteTree& tree, HTREEITEM first, int level, const Deadline& deadline) {
  for (HTREEITEM item = first; item != nullptr; item = tree.Next(item, TVGN_NEXT, deadline)) {
    char text[kTextCap];
    if (!tree.Text(item, text, sizeof text, deadline))
      text[0] = '\0';
    printf("%*s%s\n", level * 2, "", text);
    if (tree.IsExpanded(item, deadline)) {
      PrintTree(tree, tree.Next(item, TVGN_CHILD, deadline), level + 1, deadline);
    }
  }
}

bool SameText(const char* item, const char* wanted) {
  return strcmp(item, wanted) == 0;
}

// Folder names compare the way Windows compares them, without regard to case.
bool SameFolder(const char* item, const char* wanted) {
  return _stricmp(item, wanted) == 0;
}

// A drive shows as "C:" or as its label followed by "(C:)", the label possibly empty.
bool IsDrive(const char* item, const char* drive) {
  size_t length = strlen(item);
  if (_stricmp(item, drive) == 0)
    return true;
  return length >= 4 && item[length - 4] == '(' && _strnicmp(item + length - 3, drive, 2) == 0 &&
         item[length - 1] == ')';
}

using Matcher = bool (*)(const char* item, const char* wanted);

HTREEITEM FindAmong(RemoteTree& tree, HTREEITEM first, const char* wanted, Matcher matches,
                    const Deadline& deadline) {
  for (HTREEITEM item = first; item != nullptr; item = tree.Next(item, TVGN_NEXT, deadline)) {
    char text[kTextCap];
    if (tree.Text(item, text, sizeof text, deadline) && matches(text, wanted))
      return item;
  }
  return nullptr;
}

// The child of `parent` (a top item when null) that matches, expanding the parent first:
// the browser lists a folder's children when it is first expanded.
HTREEITEM WaitForChild(RemoteTree& tree, HTREEITEM parent, const char* wanted, Matcher matches,
                       const Deadline& deadline) {
  if (parent != nullptr && !tree.IsExpanded(parent, deadline))
    tree.Expand(parent, deadline);
  HTREEITEM found = nullptr;
  WaitFor(deadline, [&] {
    HTREEITEM first = parent == nullptr ? tree.Next(nullptr, TVGN_ROOT, deadline)
                                        : tree.Next(parent, TVGN_CHILD, deadline);
    return (found = FindAmong(tree, first, wanted, matches, deadline)) != nullptr;
  });
  return found;
}

// Looks for the drive at `item` and below it, at most `depth` levels down. Items it had to
// expand on the way are collapsed again unless they lead to the drive.
HTREEITEM SearchDrive(RemoteTree& tree, HTREEITEM item, const char* drive, int depth,
                      const Deadline& deadline) {
  char text[kTextCap];
  if (tree.Text(item, text, sizeof text, deadline) && IsDrive(text, drive))
    return item;
  if (depth == 0 || deadline.Passed())
    return nullptr;
  bool wasExpanded = tree.IsExpanded(item, deadline);
  if (!wasExpanded)
    tree.Expand(item, deadline);
  for (HTREEITEM child = tree.Next(item, TVGN_CHILD, deadline); child != nullptr;
       child = tree.Next(child, TVGN_NEXT, deadline)) {
    HTREEITEM found = SearchDrive(tree, child, drive, depth - 1, deadline);
    if (found != nullptr)
      return found;
  }
  if (!wasExpanded)
    tree.Collapse(item, deadline);
  return nullptr;
}

// The drives hang a few levels below the top (Desktop, My Computer): searched one level
// deeper at a time, so that no large folder on the way is opened before it is needed.
HTREEITEM FindDrive(RemoteTree& tree, const char* drive, const Deadline& deadline) {
  HTREEITEM top = nullptr;
  if (!WaitFor(deadline, [&] { return (top = tree.Next(nullptr, TVGN_ROOT, deadline)); })) {
    return nullptr;
  }
  for (int depth = 0; depth <= 3; ++depth) {
    for (HTREEITEM item = top; item != nullptr; item = tree.Next(item, TVGN_NEXT, deadline)) {
      HTREEITEM found = SearchDrive(tree, item, drive, depth, deadline);
      if (found != nullptr)
        return found;
    }
  }
  return nullptr;
}

int SelectItem(RemoteTree& tree, HTREEITEM item, const char* name, const Deadline& deadline) {
  if (!tree.Select(item, deadline)) {
    return Fail("the tree did not take \"%s\" as its selection", name);
  }
  return 0;
}

int SelectPath(RemoteTree& tree, Args path, const Deadline& deadline) {
  HTREEITEM item = nullptr;
  for (int i = 0; i < path.count; ++i) {
    item = WaitForChild(tree, item, path.values[i], SameText, deadline);
    if (item == nullptr) {
      return Fail("timed out after %lu ms waiting for the tree item \"%s\" (step %d)",
                  deadline.Limit(), path.values[i], i + 1);
    }
  }
  return SelectItem(tree, item, path.values[path.count - 1], deadline);
}

// A Windows path such as C:\Program Files: its drive, then one folder item per component.
int ChoosePath(RemoteTree& tree, const char* path, const Deadline& deadline) {
  char drive[3] = {path[0], ':', '\0'};
  if (path[0] == '\0' || path[1] != ':')
    return Fail("not a path with a drive: %s", path);
  HTREEITEM item = FindDrive(tree, drive, deadline);
  if (item == nullptr)
    return Fail("no tree item for the drive %s", drive);
  char rest[MAX_PATH];
  if (strlen(path + 2) >= sizeof rest)
    return Fail("path too long: %s", path);
  memcpy(rest, path + 2, strlen(path + 2) + 1);
  for (char* part = strtok(rest, "\\"); part != nullptr; part = strtok(nullptr, "\\")) {
    item = WaitForChild(tree, item, part, SameFolder, deadline);
    if (item == nullptr) {
      return Fail("timed out after %lu ms waiting for the folder item \"%s\" of %s",
                  deadline.Limit(), part, path);
    }
  }
  return SelectItem(tree, item, path, deadline);
}

// Keys go to the window that has the focus in the dialog's thread, as typed keys would; the
// dialog's message loop sees them before that window does.
int PressKey(HWND dialog, int key) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  HWND target = dialog;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) &&
      info.hwndFocus != nullptr) {
    target = info.hwndFocus;
  }
  UINT scan = MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
  LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
  LPARAM up = down | (1u << 30) | (1u << 31);
  if (!PostMessageA(target, WM_KEYDOWN, key, down) || !PostMessageA(target, WM_KEYUP, key, up)) {
    return Fail("cannot post key %d", key);
  }
  return 0;
}

int Run(const char* command, Args args, const Deadline& deadline) {
  if (strcmp(command, "list") == 0 && args.count == 0) {
    EnumWindows(ListOne, 0);
    return 0;
  }
  if (strcmp(command, "gone") == 0 && args.count == 1) {
    if (!WaitFor(deadline, [&] { return !DialogExists(args.values[0]); })) {
      return Fail("timed out after %lu ms waiting for \"%s\" to go away", deadline.Limit(),
                  args.values[0]);
    }
    return 0;
  }
  if (strcmp(command, "run") == 0 && args.count == 1)
    return RunCommandLine(args.values[0], deadline);
  if (strcmp(command, "msgbox") == 0 && args.count == 1) {
    // The box's text control is filled a moment after the box appears.
    StaticTexts texts = {&deadline, 0, ""};
    if (!WaitFor(deadline, [&] {
          HWND box = FindReadyDialog(args.values[0]);
          if (box == nullptr)
            return false;
          EnumChildWindows(box, CollectLongestStatic, reinterpret_cast<LPARAM>(&texts));
          return texts.longest[0] != '\0';
        })) {
      return Fail("timed out after %lu ms waiting for a message box \"%s\" with text",
                  deadline.Limit(), args.values[0]);
    }
    PrintLine(texts.longest);
    return 0;
  }

  // The remaining commands act on one ready dialog.
  if (args.count < 1)
    return Usage();
  HWND dialog = WaitForDialog(args.values[0], deadline);
  if (dialog == nullptr)
    return 1;
  const char* rest = args.count > 1 ? args.values[1] : nullptr;
  int id = 0;

  if (strcmp(command, "wait") == 0 && args.count == 1) {
    printf("@%#" PRIxPTR "\n", reinterpret_cast<uintptr_t>(dialog));
    return 0;
  }
  if (strcmp(command, "caption") == 0 && args.count == 1) {
    char caption[kTextCap];
    GetWindowTextA(dialog, caption, sizeof caption);
    PrintLine(caption);
    return 0;
  }
  if (strcmp(command, "rect") == 0 && args.count == 1) {
    RECT r;
    GetWindowRect(dialog, &r);
    printf("%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
    return 0;
  }
  if (strcmp(command, "icon") == 0 && args.count == 1) {
    IconSearch search = {&deadline, false};
    EnumChildWindows(dialog, FindIcon, reinterpret_cast<LPARAM>(&search));
    PrintLine(search.found ? "1" : "0");
    return 0;
  }
  if (strcmp(command, "children") == 0 && args.count == 1) {
    ChildList list = {&deadline};
    EnumChildWindows(dialog, PrintChild, reinterpret_cast<LPARAM>(&list));
    return 0;
  }
  if (strcmp(command, "statics") == 0 && args.count == 1) {
    StaticTexts texts = {&deadline, 0, ""};
    EnumChildWindows(dialog, PrintStatic, reinterpret_cast<LPARAM>(&texts));
    return 0;
  }
  if (strcmp(command, "tree") == 0 && args.count == 1) {
    HWND treeWindow = FindTree(dialog, deadline);
    if (treeWindow == nullptr)
      return 1;
    RemoteTree tree(treeWindow);
    if (!tree.Usable())
      return Fail("cannot reach the memory of the tree's process");
    PrintTree(tree, tree.Next(nullptr, TVGN_ROOT, deadline), 0, deadline);
    return 0;
  }
  if ((strcmp(command, "select") == 0 && args.count >= 2) ||
      (strcmp(command, "choose") == 0 && args.count == 2)) {
    HWND treeWindow = FindTree(dialog, deadline);
    if (treeWindow == nullptr)
      return 1;
    RemoteTree tree(treeWindow);
    if (!tree.Usable())
      return Fail("cannot reach the memory of the tree's process");
    if (command[0] == 'c')
      return ChoosePath(tree, rest, deadline);
    return SelectPath(tree, Args{args.count - 1, args.values + 1}, deadline);
  }

  if (strcmp(command, "enabled") == 0 && args.count == 1) {
    PrintLine(IsWindowEnabled(dialog) ? "1" : "0");
    return 0;
  }
  if (strcmp(command, "close") == 0 && args.count == 1) {
    // What the close box sends.
    if (!PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0))
      return Fail("cannot post the close");
    return 0;
  }
  if (strcmp(command, "key") == 0 && args.count == 2) {
    if (!ParseId(rest, &id))
      return Usage();
    return PressKey(dialog, id);
  }

  if (strcmp(command, "answers") == 0 && args.count == 2) {
    DWORD limit = strtoul(rest, nullptr, 10);
    unsigned asked = 0, unanswered = 0;
    DWORD longest = 0, longestAt = 0, first = GetTickCount();
    while (IsWindow(dialog)) {
      DWORD start = GetTickCount();
      DWORD_PTR answer = 0;
      ++asked;
      if (!SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, limit, &answer))
        unanswered += IsWindow(dialog) ? 1 : 0;
      DWORD took = GetTickCount() - start;
      if (took > longest)
        longest = took, longestAt = start - first;
      Sleep(500);
    }
    printf("asked %u, unanswered %u, longest %lu ms at %lu ms of %lu\n", asked, unanswered,
           static_cast<unsigned long>(longest), static_cast<unsigned long>(longestAt),
           static_cast<unsigned long>(GetTickCount() - first));
    return 0;
  }
  if (rest == nullptr || !ParseId(rest, &id))
    return Usage();
  HWND control = WaitForControl(dialog, id, deadline);
  if (control == nullptr)
    return 1;

  if (strcmp(command, "text") == 0 && args.count == 2) {
    char text[kTextCap];
    if (!ReadControlText(control, text, sizeof text, deadline)) {
      return Fail("control %d did not answer with its text", id);
    }
    PrintLine(text);
    return 0;
  }
  if (strcmp(command, "settext") == 0 && args.count == 3) {
    DWORD_PTR ok = 0;
    if (!SendBounded(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(args.values[2]), deadline,
                     &ok) ||
        !ok) {
      return Fail("control %d did not take the text", id);
    }
    return 0;
  }
  if (strcmp(command, "checked") == 0 && args.count == 2) {
    DWORD_PTR state = 0;
    if (!SendBounded(control, BM_GETCHECK, 0, 0, deadline, &state)) {
      return Fail("control %d did not answer with its check state", id);
    }
    printf("%lu\n", static_cast<unsigned long>(state));
    return 0;
  }
  if (strcmp(command, "enabled") == 0 && args.count == 2) {
    PrintLine(IsWindowEnabled(control) ? "1" : "0");
    return 0;
  }
  if (strcmp(command, "post") == 0 && args.count == 2) {
    if (!PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                      reinterpret_cast<LPARAM>(control)))
      return Fail("cannot post the click on control %d", id);
    return 0;
  }
  if (strcmp(command, "click") == 0 && args.count == 2) {
    // A user cannot click into a disabled dialog (one under a modal box) or a disabled button.
    if (!WaitFor(deadline, [&] { return IsWindowEnabled(dialog) && IsWindowEnabled(control); })) {
      return Fail("timed out after %lu ms waiting for control %d and its dialog to be enabled",
                  deadline.Limit(), id);
    }
    if (!PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                      reinterpret_cast<LPARAM>(control))) {
      return Fail("cannot post the click on control %d", id);
    }
    return 0;
  }
  return Usage();
}

}  // namespace

int main(int argc, char** argv) {
  // Binary mode: the Linux side reads the output and expects bare newlines.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  int next = 1;
  DWORD timeout = kDefaultTimeout;
  if (next + 1 < argc && strcmp(argv[next], "-t") == 0) {
    timeout = strtoul(argv[next + 1], nullptr, 10);
    next += 2;
  }
  if (next >= argc)
    return Usage();
  Deadline deadline(timeout);
  int result = Run(argv[next], Args{argc - next - 1, argv + next + 1}, deadline);
  fflush(stdout);
  return result;
}

#include "check/description_warnings.h"

#include <cstring>

#include "check/file_names.h"
#include "common/names.h"
#include "description/setup_lines.h"
#include "description/setup_reader.h"
#include "description/setup_settings.h"

namespace {

const char* const kFieldNames[] = {"ProgramFile", "InstallDir", "LinkTitle", "ProductName",
                                   "EntryCount"};
constexpr char kRefused[] = "the installer refuses the description (\"'setup.inf' is corrupted!\")";
constexpr char kCtrlZ = 0x1A;

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string Plural(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// The first character that a Windows file name cannot hold, or 0.
char ForbiddenNameChar(const std::string& name) {
  for (char c : name) {
    if ((c > 0 && c < 32) || std::strchr("<>:\"/\\|?*", c))
      return c;
  }
  return 0;
}

// A drive letter, a colon and a backslash, or a network name.
bool IsFullPath(const std::string& path) {
  bool drive = path.size() >= 3 && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') &&
               path[1] == ':' && path[2] == '\\';
  return drive || path.compare(0, 2, "\\\\") == 0;
}

// A character that no name of a file holds, as the warnings show it.
std::string Shown(char c) {
  return c > 0 && c < 32 ? "a control character" : Quoted(std::string(1, c));
}

// Why the installer's reader refuses the FolderName it takes from InstallDir; empty when it
// accepts it.
std::string FolderNameFault(const std::string& installDir) {
  char folderName[kTextCapacity];
  if (DeriveFolderName(installDir.c_str(), folderName))
    return "";
  std::size_t end = installDir.find_last_not_of('\\');
  if (end == std::string::npos)
    return installDir.empty() ? "InstallDir is empty, and so is FolderName, which names the "
                                "uninstall entry and the uninstaller"
                              : "InstallDir holds nothing but backslashes, so FolderName, which "
                                "names the uninstall entry and the uninstaller, is empty";
  std::size_t start = installDir.rfind('\\', end);
  start = start == std::string::npos ? 0 : start + 1;
  const std::string name = installDir.substr(start, end + 1 - start);
  const std::string what = "FolderName " + Quoted(name) +
                           ", the last component of InstallDir and the name of the "
                           "uninstall entry and the uninstaller,";
  if (name.size() >= static_cast<std::size_t>(kTextCapacity))
    return "FolderName, the last component of InstallDir, is " + std::to_string(name.size()) +
           " characters long, more than the 255 it holds";
  char bad = ForbiddenNameChar(name);
  if (bad)
    return what + " holds " + Shown(bad) + ", which a file name cannot hold";
  if (IsDeviceName(name.c_str()))
    return what + " is a device's name, which Windows opens as that device, not as a file";
  return what + " is made only of dots and spaces, which Windows drops from a path";
}

class Analysis {
 public:
  Analysis(const std::string& bytes, const std::vector<ReaderLine>& lines,
           const SetupSettingsRecord& settings)
      : bytes_(bytes), lines_(lines), settings_(settings) {}

  CheckWarnings Run();

 private:
  void Warn(int index, const std::string& text);
  int LineCount() const { return static_cast<int>(lines_.size()); }
  bool ReadLine(int index);  // false where the reader stops
  void PieceWarnings(int index);
  void SemicolonWarning(int index, const std::string& field);
  void BlankWarning(int index, const std::string& what, const std::string& value);
  bool HeaderLine(int index);
  void InstallDirWarnings(int index);
  void NameWarning(int index, const std::string& what, const std::string& name, bool isGroup);
  bool CountLine(int index);
  bool EntryLine(int index);
  void LongLineWarnings(int lastUsed);
  void CtrlZWarning();

  const std::string& bytes_;
  const std::vector<ReaderLine>& lines_;
  const SetupSettingsRecord& settings_;
  CheckWarnings warnings_;
  std::int32_t count_ = 0;
  bool lastNewlineWarned_ = false;
};

void Analysis::Warn(int index, const std::string& text) {
  int physical = PhysicalLineOf(lines_, index);
  std::string where;
  if (physical != index + 1)
    where = " (the installer's line " + std::to_string(index + 1) + ")";
  warnings_.push_back({physical, text + where});
}

CheckWarnings Analysis::Run() {
  int lastUsed = -1;
  bool stopped = false;
  for (int i = 0; i < LineCount() && !stopped; ++i) {
    bool used = i <= kLineEntryCount || i <= count_ + kLineEntryCount;
    if (!used) {
      if (!lines_[i].value.empty())
        Warn(i, "the line is beyond the " +
                    Plural(count_ < 0 ? 0 : count_, "Start-menu entry", "Start-menu entries") +
                    " that EntryCount declares: the installer ignores it");
      continue;
    }
    lastUsed = i;
    PieceWarnings(i);
    stopped = !ReadLine(i);
  }

  if (LineCount() < kFirstEntryLine && !stopped) {
    Warn(LineCount(), "the file holds only " + Plural(LineCount(), "line", "lines") +
                          " as the installer counts them; it needs five (\"Cannot read enough "
                          "data from 'setup.inf'!\")");
  } else if (!stopped && count_ > 0 && LineCount() - kFirstEntryLine < count_) {
    int provided = LineCount() - kFirstEntryLine;
    Warn(kLineEntryCount,
         "EntryCount declares " + Plural(count_, "entry", "entries") + " but " +
             (provided == 0
                  ? std::string("no entry line follows")
                  : "only " + Plural(provided, "entry line follows", "entry lines follow")) +
             ": the missing " + (count_ - provided == 1 ? "entry gets" : "entries get") +
             " no Start-menu shortcut");
  }
  LongLineWarnings(lastUsed);
  CtrlZWarning();
  SortWarnings(&warnings_);
  return warnings_;
}

bool Analysis::ReadLine(int index) {
  if (index < kLineEntryCount)
    return HeaderLine(index);
  if (index == kLineEntryCount)
    return CountLine(index);
  return EntryLine(index);
}

// Traps of the line as a piece of bytes, before its meaning.
void Analysis::PieceWarnings(int index) {
  const ReaderLine& line = lines_[index];
  std::size_t zero = line.bytes.find('\0');
  if (zero != std::string::npos)
    Warn(index, "the line holds a zero byte after " + Plural(zero, "character", "characters") +
                    ": the installer's line ends there, the character before it is taken for "
                    "the newline, and the installer reads " +
                    Quoted(line.value));
  if (line.value.find('\r') != std::string::npos)
    Warn(index,
         "the line holds a carriage return that no line feed follows: it stays part of "
         "the value " +
             Quoted(line.value));
  bool lastLine = index == LineCount() - 1;
  if (lastLine && !line.endsWithNewline && zero == std::string::npos) {
    std::string lost(1, line.bytes.back());
    lastNewlineWarned_ = true;
    if (index == kLineEntryCount) {
      Warn(index, "line 5 does not end with a newline: the installer takes its last character " +
                      Quoted(lost) + " for one, so EntryCount is read from " + Quoted(line.value) +
                      " and becomes " + std::to_string(ConvertCount(line.value.c_str())));
    } else {
      Warn(index,
           "the last line does not end with a newline: the installer takes its last "
           "character " +
               Quoted(lost) + " for one and reads " + Quoted(line.value));
    }
  }
}

void Analysis::SemicolonWarning(int index, const std::string& field) {
  const std::string& text = lines_[index].text;
  if (text.find(';') == std::string::npos)
    return;
  const std::string& value = lines_[index].value;
  if (text.find_first_not_of(';') == std::string::npos) {
    Warn(index,
         "the line holds nothing but semicolons, which the installer takes as they "
         "stand for " +
             field);
    return;
  }
  std::string note = text[0] == ';' ? " (a line that starts with ';' is no comment: it still "
                                      "counts as a line)"
                                    : "";
  Warn(index, "';' cuts the line short: the installer reads " + field + " as " + Quoted(value) +
                  " out of " + Quoted(text) + note);
}

void Analysis::BlankWarning(int index, const std::string& what, const std::string& value) {
  if (value.empty())
    return;
  bool leading = IsBlank(value.front());
  bool trailing = IsBlank(value.back());
  if (!leading && !trailing)
    return;
  const char* which = leading && trailing ? "leading and trailing"
                      : leading           ? "leading"
                                          : "trailing";
  Warn(index, what + " " + Quoted(value) + " keeps its " + which +
                  " spaces or tabs: the installer trims nothing");
}

bool Analysis::HeaderLine(int index) {
  const std::string& value = lines_[index].value;
  const std::string field = kFieldNames[index];
  std::size_t capacity = index == kLineInstallDir ? kPathCapacity : kTextCapacity;
  if (value.size() >= capacity) {
    Warn(index, field + " is " + std::to_string(value.size()) + " characters long, more than the " +
                    std::to_string(capacity - 1) + " its field holds: " + kRefused);
    return false;
  }
  if (index == kLineInstallDir) {
    std::string fault = FolderNameFault(value);
    if (!fault.empty()) {
      Warn(index, fault + ": " + kRefused);
      return false;
    }
  }
  SemicolonWarning(index, field);
  BlankWarning(index, field, value);
  switch (index) {
    case kLineInstallDir:
      InstallDirWarnings(index);
      break;
    case kLineLinkTitle:
      if (value.empty())
        Warn(index, "LinkTitle is empty: the desktop shortcut is named \".lnk\"");
      else
        NameWarning(index, "LinkTitle", value, false);
      break;
    case kLineProductName:
      if (value.empty())
        Warn(index,
             "ProductName is empty: the Start-menu shortcuts go straight into the "
             "programs folder, and the dialog's caption is \" Setup\"");
      else if (IsSingleName(value.c_str()) && !IsFolderName(value.c_str()))
        Warn(index, "ProductName " + Quoted(value) +
                        " is only dots and spaces, which would name the programs folder or the "
                        "Start menu itself: the installer creates no Start-menu shortcut");
      else
        NameWarning(index, "ProductName", value, true);
      break;
    default:
      break;
  }
  return true;
}

void Analysis::InstallDirWarnings(int index) {
  const std::string value = lines_[index].value;
  const std::string folderName = settings_.FolderName;
  std::size_t lastSlash = value.rfind('\\');
  if (lastSlash == std::string::npos) {
    Warn(index, "InstallDir " + Quoted(value) +
                    " holds no backslash: FolderName, which names the uninstall entry and the "
                    "uninstaller, is all of it");
  } else if (lastSlash == value.size() - 1) {
    Warn(index, "InstallDir ends with a backslash: FolderName is the component before it, " +
                    Quoted(folderName) +
                    ", but the folder box shows the backslash, so every path composed from the "
                    "folder holds a doubled backslash");
  }
  if (!IsFullPath(value)) {
    Warn(index, "InstallDir " + Quoted(value) +
                    " is not a full path: the installer creates it inside the distribution folder "
                    "(its current folder), which fails on a CD, and cannot start the program "
                    "afterwards");
    return;
  }
  if (value.compare(0, 2, "\\\\") == 0)
    return;
  // Only the last component is created, so its parent must exist on the user's machine.
  std::string folder = value;
  while (folder.size() > 3 && folder.back() == '\\')
    folder.pop_back();
  std::size_t cut = folder.rfind('\\');
  std::string parent = folder.substr(0, cut);
  if (cut <= 2 || SameNameIgnoringCase(parent.substr(2), "\\Program Files"))
    return;
  Warn(index, "the installer creates only the last component of InstallDir: " + Quoted(parent) +
                  " must already exist on the user's machine, or OK says \"Cannot create "
                  "directory!\"");
}

void Analysis::NameWarning(int index, const std::string& what, const std::string& name,
                           bool isGroup) {
  char bad = ForbiddenNameChar(name);
  if (!bad)
    return;
  // The installer's own test of the names it composes into a link's path.
  if (!IsSingleName(name.c_str())) {
    char separator = name[name.find_first_of("\\/:")];
    Warn(index, what + " " + Quoted(name) + " holds " + Shown(separator) +
                    ", which would lead the shortcut out of its folder or into a stream: the "
                    "installer creates " +
                    (isGroup ? "no Start-menu shortcut" : "no shortcut for it"));
    return;
  }
  std::string shortcut =
      isGroup ? "no Start-menu shortcut can be saved in it" : "its shortcut cannot be saved";
  Warn(index, what + " " + Quoted(name) + " holds " + Shown(bad) +
                  ", which a file name cannot hold: " + shortcut);
}

bool Analysis::CountLine(int index) {
  const std::string& value = lines_[index].value;
  count_ = ConvertCount(value.c_str());
  SemicolonWarning(index, "EntryCount");
  // A plain number, perhaps with blanks around it, says what it means.
  std::size_t first = value.find_first_not_of(" \t");
  std::size_t last = value.find_last_not_of(" \t");
  std::string core = first == std::string::npos ? "" : value.substr(first, last - first + 1);
  std::size_t digits = core.empty() || (core[0] != '+' && core[0] != '-') ? 0 : 1;
  bool plain =
      digits < core.size() && core.find_first_not_of("0123456789", digits) == std::string::npos;
  if (!plain && !lastNewlineWarned_) {
    bool leadingNumber = digits < core.size() && core[digits] >= '0' && core[digits] <= '9';
    Warn(index, "EntryCount " + Quoted(value) +
                    (leadingNumber ? " is not a plain number: the installer reads "
                                   : " holds no number up front: the installer reads ") +
                    std::to_string(count_));
  }
  if (count_ < 0)
    Warn(index, "EntryCount " + std::to_string(count_) +
                    " is negative: no Start-menu shortcut is created");
  if (count_ > kMaxEntries) {
    Warn(index, "EntryCount " + std::to_string(count_) + " is more than the " +
                    std::to_string(kMaxEntries) +
                    " Start-menu entries the installer holds: " + kRefused);
    return false;
  }
  return true;
}

bool Analysis::EntryLine(int index) {
  const std::string value = lines_[index].value;
  std::vector<char> buffer(value.begin(), value.end());
  buffer.push_back('\0');
  EntrySplit split = SplitEntry(buffer.data());
  if (!split.file) {
    Warn(index, "the entry " + Quoted(value) + " has no comma between title and file: " + kRefused);
    return false;
  }
  std::string file = split.file;
  if (file.size() >= static_cast<std::size_t>(kTextCapacity)) {
    Warn(index, "the entry's file name is " + std::to_string(file.size()) +
                    " characters long, more than 255: " + kRefused);
    return false;
  }
  if (!split.title) {
    Warn(index, "the entry holds nothing but commas before its file: " + std::string(kRefused));
    return false;
  }
  std::string title = split.title;
  if (title.size() >= static_cast<std::size_t>(kTextCapacity)) {
    Warn(index, "the entry's title is " + std::to_string(title.size()) +
                    " characters long, more than 255: " + kRefused);
    return false;
  }
  SemicolonWarning(index, "the entry");

  std::size_t commas = 0;
  for (char c : value)
    commas += c == ',';
  if (commas > 1 || value[0] == ',') {
    std::size_t titleEnd = split.title - buffer.data() + title.size();
    std::size_t lastComma = value.rfind(',');
    std::string middle =
        titleEnd < lastComma ? value.substr(titleEnd + 1, lastComma - titleEnd - 1) : std::string();
    std::string lost = middle.find_first_not_of(',') == std::string::npos
                           ? ""
                           : "; " + Quoted(middle) + " between them is lost";
    Warn(index, "the entry " + Quoted(value) + " holds " + Plural(commas, "comma", "commas") +
                    (value[0] == ',' ? ", the first at its start" : "") +
                    ": the installer takes the title " + Quoted(title) + " and the file " +
                    Quoted(file) + lost);
  }
  BlankWarning(index, "the entry's title", title);
  BlankWarning(index, "the entry's file", file);
  NameWarning(index, "the entry's title", title, false);
  return true;
}

void Analysis::LongLineWarnings(int lastUsed) {
  for (int i = 0; i <= lastUsed; ++i) {
    if (i > 0 && lines_[i - 1].physicalLine == lines_[i].physicalLine)
      continue;
    int pieces = 1;
    std::size_t length = lines_[i].bytes.size();
    while (i + pieces < LineCount() && lines_[i + pieces].physicalLine == lines_[i].physicalLine)
      length += lines_[i + pieces++].bytes.size();
    if (pieces == 1)
      continue;
    if (lines_[i + pieces - 1].endsWithNewline)
      --length;
    Warn(i, "the line is " + std::to_string(length) +
                " characters long: the installer reads at most " +
                std::to_string(kLineBufferSize - 1) + " characters at a time, so it takes it as " +
                std::to_string(pieces) + " lines (its lines " + std::to_string(i + 1) + " to " +
                std::to_string(i + pieces) +
                "), each losing its last character, and every later line moves down by " +
                std::to_string(pieces - 1));
  }
}

void Analysis::CtrlZWarning() {
  std::size_t at = bytes_.find(kCtrlZ);
  if (at == std::string::npos)
    return;
  // A Ctrl-Z that closes an old DOS file, followed by nothing that counts, is harmless.
  if (bytes_.find_first_not_of(std::string("\r\n \t") + kCtrlZ, at) == std::string::npos)
    return;
  int index = LineCount();
  if (!lines_.empty() && !lines_.back().endsWithNewline)
    --index;
  Warn(index, "the file holds a Ctrl-Z byte: the installer reads no further, and the " +
                  std::to_string(bytes_.size() - at - 1) + " bytes after it are ignored");
}

}  // namespace

CheckWarnings DescriptionWarnings(const std::string& bytes, const std::vector<ReaderLine>& lines,
                                  const SetupSettingsRecord& settings) {
  return Analysis(bytes, lines, settings).Run();
}

#include "tests/unit/fake_platform.h"

#include <cstring>
#include <cwchar>

#include "common/bounded_text.h"

namespace {

std::string Text(const char* text) {
  return text ? text : "(null)";
}

// Copies `text` into `buf` the way the real operations do: all or nothing.
bool Give(const std::string& text, char* buf, std::size_t cap) {
  if (text.size() >= cap) {
    if (cap)
      buf[0] = '\0';
    return false;
  }
  std::memcpy(buf, text.c_str(), text.size() + 1);
  return true;
}

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  return text;
}

const std::string kAllEntries = "\\*.*";

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// True when `path` lies directly in `folder`.
bool IsChild(const std::string& path, const std::string& folder) {
  return path.size() > folder.size() + 1 && path.compare(0, folder.size(), folder) == 0 &&
         path[folder.size()] == '\\' && path.find('\\', folder.size() + 1) == std::string::npos;
}

std::string LastName(const std::string& path) {
  std::size_t slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void FakePlatform::AddFile(const std::string& path) {
  tree[path] = Entry{LastName(path), false, false};
}

void FakePlatform::AddFolder(const std::string& path) {
  tree[path] = Entry{LastName(path), true, false};
}

void FakePlatform::AddLink(const std::string& path, bool toFolder) {
  tree[path] = Entry{LastName(path), toFolder, true};
}

std::vector<std::string> FakePlatform::CallsStartingWith(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const auto& call : calls)
    if (call.compare(0, prefix.size(), prefix) == 0)
      out.push_back(call);
  return out;
}

void FakePlatform::ShowMessage(const char* text, const char* title) {
  calls.push_back("ShowMessage(" + Text(text) + "|" + Text(title) + ")");
}

void FakePlatform::RequestQuit(int exitCode) {
  calls.push_back("RequestQuit(" + std::to_string(exitCode) + ")");
}

void FakePlatform::SetCaption(const char* text) {
  caption = text;
  calls.push_back("SetCaption(" + caption + ")");
}

bool FakePlatform::GetControlText(int id, char* buf, std::size_t cap) {
  calls.push_back("GetControlText(" + std::to_string(id) + ")");
  return Give(controlText[id], buf, cap);
}

void FakePlatform::SetControlText(int id, const char* text) {
  controlText[id] = text;
  calls.push_back("SetControlText(" + std::to_string(id) + "|" + Text(text) + ")");
}

int FakePlatform::GetCheckState(int id) {
  calls.push_back("GetCheckState(" + std::to_string(id) + ")");
  return checkState[id];
}

void FakePlatform::SetCheckState(int id, int state) {
  checkState[id] = state;
  calls.push_back("SetCheckState(" + std::to_string(id) + "|" + std::to_string(state) + ")");
}

void FakePlatform::EndModal(int result) {
  calls.push_back("EndModal(" + std::to_string(result) + ")");
}

void FakePlatform::SetProgressStep(int step) {
  progressStep = step;
  calls.push_back("SetProgressStep(" + std::to_string(step) + ")");
}

void FakePlatform::StepProgress() {
  // The control wraps to its minimum when a step passes the maximum.
  progressPos += progressStep;
  if (progressPos > 100)
    progressPos = 0;
  calls.push_back("StepProgress()");
}

void FakePlatform::SetProgressPos(int pos) {
  progressPos = pos;
  calls.push_back("SetProgressPos(" + std::to_string(pos) + ")");
}

bool FakePlatform::ReadFileHead(const char* name, char* buf, std::size_t cap, std::size_t* got) {
  calls.push_back("ReadFileHead(" + Text(name) + ")");
  auto it = files.find(name);
  if (it == files.end())
    return false;
  *got = it->second.size() < cap ? it->second.size() : cap;
  std::memcpy(buf, it->second.data(), *got);
  return true;
}

FolderCreation FakePlatform::MakeFolder(const char* path) {
  calls.push_back("MakeFolder(" + Text(path) + ")");
  auto it = makeFolder.find(path);
  return it == makeFolder.end() ? FolderCreation::kCreated : it->second;
}

namespace {

// The fake's names are bytes; their wide form is each byte widened, and narrowed back exactly.
std::wstring Widened(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

std::string Narrowed(const wchar_t* text, std::size_t size) {
  std::string bytes;
  for (std::size_t k = 0; k < size; ++k)
    bytes += text[k] < 256 ? static_cast<char>(text[k]) : '?';
  return bytes;
}

std::string Narrowed(const wchar_t* text) {
  return Narrowed(text, std::wcslen(text));
}

void Show(FolderVisitor& visitor, const std::string& name, bool isFolder, bool isReparsePoint,
          std::uint64_t size) {
  std::wstring wide = Widened(name);
  FolderEntry entry = {name.c_str(), wide.c_str(), isFolder, isReparsePoint, size};
  visitor.Visit(entry);
}

}  // namespace

void FakePlatform::ListFolder(const char* pattern, FolderVisitor& visitor) {
  calls.push_back("ListFolder(" + Text(pattern) + ")");
  if (std::string(pattern) != "*.*") {
    std::string path = pattern;
    if (EndsWith(path, kAllEntries)) {
      std::string folder = path.substr(0, path.size() - kAllEntries.size());
      auto it = tree.find(folder);
      if (it == tree.end() || !it->second.isFolder)
        return;
      for (const char* dots : {".", ".."})
        Show(visitor, dots, true, false, 0);
      for (const auto& [child, e] : tree) {
        if (!IsChild(child, folder))
          continue;
        Show(visitor, e.name, e.isFolder, e.isReparsePoint, e.size);
      }
    } else if (auto it = tree.find(path); it != tree.end()) {
      Show(visitor, it->second.name, it->second.isFolder, it->second.isReparsePoint,
           it->second.size);
    }
    return;
  }
  for (const auto& e : listing)
    Show(visitor, e.name, e.isFolder, e.isReparsePoint, e.size);
}

bool FakePlatform::CopyOneFile(const char* from, const char* to) {
  calls.push_back("CopyOneFile(" + Text(from) + "|" + Text(to) + ")");
  if (copyFails.count(from))
    return false;
  copied[to] = from;
  return true;
}

bool FakePlatform::CopyListedFile(const wchar_t* from, const wchar_t* to) {
  return CopyOneFile(Narrowed(from).c_str(), Narrowed(to).c_str());
}

bool FakePlatform::WidenText(const char* text, wchar_t* buf, std::size_t cap) {
  return CopyText(buf, cap, Widened(text).c_str());
}

void FakePlatform::DescribeCopyFailure(char* buf, std::size_t cap) {
  Give(copyFailure, buf, cap);
}

bool FakePlatform::GetWindowsFolder(char* buf, std::size_t cap) {
  calls.push_back("GetWindowsFolder()");
  if (windowsFolder.empty())
    return false;
  return Give(windowsFolder, buf, cap);
}

int FakePlatform::WindowsFamily() {
  calls.push_back("WindowsFamily()");
  return family;
}

bool FakePlatform::GetSpecialFolder(int csidl, char* buf, std::size_t cap) {
  calls.push_back("GetSpecialFolder(" + std::to_string(csidl) + ")");
  auto it = specialFolders.find(csidl);
  if (it == specialFolders.end()) {
    if (cap)
      buf[0] = '\0';
    return false;
  }
  return Give(it->second, buf, cap);
}

bool FakePlatform::BrowseForFolder(const char* title, char* path, std::size_t cap) {
  calls.push_back("BrowseForFolder(" + Text(title) + ")");
  if (!browseChooses)
    return false;
  Give(browsePath, path, cap);
  return true;
}

void FakePlatform::InitializeCom() {
  calls.push_back("InitializeCom()");
}

void FakePlatform::UninitializeCom() {
  calls.push_back("UninitializeCom()");
}

bool FakePlatform::WriteShellLink(const char* linkPath, const LinkInfo& info) {
  calls.push_back("WriteShellLink(" + Text(linkPath) + "|" + Text(info.Target) + "|" +
                  Text(info.WorkingDir) + "|" + Text(info.Description) + "|" + Text(info.IconFile) +
                  ")");
  return true;
}

bool FakePlatform::RegistryKeyOpens(RegistryRoot, const char* key) {
  calls.push_back("RegistryKeyOpens(" + Text(key) + ")");
  return openableKeys.count(key) > 0;
}

bool FakePlatform::RegistrySetString(RegistryRoot, const char* key, const char* valueName,
                                     const char* data) {
  calls.push_back("RegistrySetString(" + Text(key) + "|" + Text(valueName) + "|" + Text(data) +
                  ")");
  if (!registryWritable || (valueName && valueFails.count(valueName)))
    return false;
  auto& values = registry[key];
  if (valueName)
    values[valueName] = data;
  return true;
}

bool FakePlatform::SetCurrentFolder(const char* path) {
  calls.push_back("SetCurrentFolder(" + Text(path) + ")");
  return true;
}

bool FakePlatform::StartProgram(const char* commandLine) {
  calls.push_back("StartProgram(" + Text(commandLine) + ")");
  return !startFails;
}

bool FakePlatform::ExtractPayload(PayloadVisitor& visitor) {
  calls.push_back("ExtractPayload()");
  for (const PayloadFile& file : payloadFiles) {
    std::wstring name(file.name.begin(), file.name.end());
    wchar_t destination[260] = {};
    const char* why = visitor.Place(name.c_str(), file.name.c_str(), file.bytes, destination);
    if (why) {
      visitor.Written(name.c_str(), file.name.c_str(), file.bytes, PayloadWrite::kNone, why);
      continue;
    }
    if (!file.opens) {
      visitor.Retry(file.name.c_str(), copyFailure.c_str());
      visitor.Written(name.c_str(), file.name.c_str(), file.bytes, PayloadWrite::kNone,
                      copyFailure.c_str());
      continue;
    }
    copied[Narrowed(destination)] = "<payload>";
    visitor.Written(name.c_str(), file.name.c_str(), file.bytes,
                    file.whole ? PayloadWrite::kWhole : PayloadWrite::kPart,
                    file.whole ? nullptr : "There is not enough space on the disk.");
  }
  return payloadReadThrough;
}

bool FakePlatform::RunAndWait(const char* commandLine, std::uint32_t* exitCode) {
  calls.push_back("RunAndWait(" + Text(commandLine) + ")");
  if (runFails)
    return false;
  if (whileRunning)
    whileRunning(*this);
  *exitCode = runExitCode;
  return true;
}

// Kept as decimal text beside the strings.
bool FakePlatform::RegistrySetNumber(RegistryRoot, const char* key, const char* valueName,
                                     std::uint32_t value) {
  calls.push_back("RegistrySetNumber(" + Text(key) + "|" + Text(valueName) + "|" +
                  std::to_string(value) + ")");
  if (!registryWritable || valueFails.count(valueName))
    return false;
  registry[key][valueName] = std::to_string(value);
  return true;
}

void FakePlatform::Pause(unsigned milliseconds) {
  calls.push_back("Pause(" + std::to_string(milliseconds) + ")");
}

bool FakePlatform::RegistryGetString(RegistryRoot root, const char* key, const char* valueName,
                                     char* buf, std::size_t cap) {
  bool systemView = root == RegistryRoot::kLocalMachineSystemView;
  calls.push_back("RegistryGetString(" + std::string(systemView ? "system view|" : "") + Text(key) +
                  "|" + Text(valueName) + ")");
  const auto& view = systemView ? systemViewRegistry : registry;
  auto values = view.find(key);
  if (values == view.end() || !values->second.count(valueName)) {
    if (cap)
      buf[0] = '\0';
    return false;
  }
  return Give(values->second.at(valueName), buf, cap);
}

// The list is kept with its zeros; the call line shows its names separated by "|".
bool FakePlatform::RegistrySetMultiString(RegistryRoot, const char* key, const char* valueName,
                                          const wchar_t* list, std::size_t size) {
  std::string bytes = Narrowed(list, size);
  std::string shown;
  for (std::size_t at = 0; at < bytes.size() && bytes[at] != '\0';
       at += std::strlen(&bytes[at]) + 1)
    shown += (shown.empty() ? "" : "|") + std::string(&bytes[at]);
  calls.push_back("RegistrySetMultiString(" + Text(key) + "|" + Text(valueName) + "|" + shown +
                  ")");
  if (!registryWritable)
    return false;
  registry[key][valueName] = bytes;
  return true;
}

bool FakePlatform::RegistrySetWideString(RegistryRoot, const char* key, const char* valueName,
                                         const wchar_t* text) {
  std::string narrow = Narrowed(text);
  calls.push_back("RegistrySetWideString(" + Text(key) + "|" + Text(valueName) + "|" + narrow +
                  ")");
  if (!registryWritable || valueFails.count(valueName))
    return false;
  registry[key][valueName] = narrow;
  return true;
}

bool FakePlatform::RegistryDeleteValue(RegistryRoot, const char* key, const char* valueName) {
  calls.push_back("RegistryDeleteValue(" + Text(key) + "|" + Text(valueName) + ")");
  if (!registryWritable || valueFails.count(valueName))
    return false;
  auto values = registry.find(key);
  if (values != registry.end())
    values->second.erase(valueName);
  return true;
}

bool FakePlatform::RegistryGetMultiString(RegistryRoot, const char* key, const char* valueName,
                                          wchar_t* buf, std::size_t cap, std::size_t* size) {
  calls.push_back("RegistryGetMultiString(" + Text(key) + "|" + Text(valueName) + ")");
  *size = 0;
  auto values = registry.find(key);
  if (values == registry.end() || !values->second.count(valueName))
    return false;
  // Two zeros end the list in `buf`, as the real read makes sure.
  std::string bytes = values->second.at(valueName) + std::string(2, '\0');
  if (bytes.size() > cap)
    return false;
  std::wstring wide = Widened(bytes);
  std::wmemcpy(buf, wide.data(), wide.size());
  *size = wide.size();
  return true;
}

bool FakePlatform::RegistryDeleteKey(RegistryRoot, const char* key) {
  calls.push_back("RegistryDeleteKey(" + Text(key) + ")");
  return registryWritable && registry.erase(key) > 0;
}

bool FakePlatform::AskYesNo(const char* text, const char* title) {
  calls.push_back("AskYesNo(" + Text(text) + "|" + Text(title) + ")");
  if (whileAsking)
    whileAsking(*this);
  return answerYes;
}

bool FakePlatform::GetOwnPath(char* buf, std::size_t cap) {
  calls.push_back("GetOwnPath()");
  if (ownPath.empty()) {
    if (cap)
      buf[0] = '\0';
    return false;
  }
  return Give(ownPath, buf, cap);
}

bool FakePlatform::SameFolder(const char* a, const char* b) {
  calls.push_back("SameFolder(" + Text(a) + "|" + Text(b) + ")");
  auto canonical = [this](const char* path) {
    std::string lower = Lower(path);
    auto it = aliases.find(lower);
    return it == aliases.end() ? lower : it->second;
  };
  return canonical(a) == canonical(b);
}

bool FakePlatform::ReadFileVersion(const wchar_t* path, FileVersion& version) {
  std::string narrow = Narrowed(path);
  calls.push_back("ReadFileVersion(" + narrow + ")");
  auto found = versions.find(narrow);
  version = found == versions.end() ? FileVersion{} : found->second;
  return version.found;
}

Removal FakePlatform::DeleteOneFile(const char* path) {
  calls.push_back("DeleteOneFile(" + Text(path) + ")");
  return Delete(path);
}

Removal FakePlatform::Delete(const std::string& path) {
  if (auto fails = removalFails.find(path); fails != removalFails.end())
    return fails->second;
  auto it = tree.find(path);
  if (it == tree.end())
    return Removal::kMissing;
  if (it->second.isFolder && !it->second.isReparsePoint)
    return Removal::kDenied;
  tree.erase(it);
  return Removal::kRemoved;
}

Removal FakePlatform::RemoveEmptyFolder(const char* path) {
  calls.push_back("RemoveEmptyFolder(" + Text(path) + ")");
  return RemoveFolderEntry(path);
}

Removal FakePlatform::RemoveFolderEntry(const std::string& path) {
  if (auto fails = removalFails.find(path); fails != removalFails.end())
    return fails->second;
  auto it = tree.find(path);
  if (it == tree.end())
    return Removal::kMissing;
  for (const auto& entry : tree)
    if (IsChild(entry.first, path))
      return Removal::kNotEmpty;
  tree.erase(it);
  return Removal::kRemoved;
}

bool FakePlatform::DeleteAtRestart(const char* path) {
  calls.push_back("DeleteAtRestart(" + Text(path) + ")");
  if (restartDeletionWorks)
    deletedAtRestart.push_back(path);
  return restartDeletionWorks;
}

bool FakePlatform::RegistryValueExists(RegistryRoot, const char* key, const char* valueName) {
  calls.push_back("RegistryValueExists(" + Text(key) + "|" + Text(valueName) + ")");
  auto values = registry.find(key);
  return values != registry.end() && values->second.count(valueName) > 0;
}

bool FakePlatform::RegistryKeyExists(RegistryRoot, const char* key) {
  calls.push_back("RegistryKeyExists(" + Text(key) + ")");
  return registry.count(key) > 0;
}

bool FakePlatform::NarrowText(const wchar_t* text, char* buf, std::size_t cap) {
  std::string bytes = Narrowed(text);
  bool exact = bytes.find('?') == std::string::npos || std::wcschr(text, L'?');
  if (!exact || !CopyText(buf, cap, bytes.c_str())) {
    if (cap)
      buf[0] = '\0';
    return false;
  }
  return true;
}

bool FakePlatform::IdentityNow(const std::string& path, FileIdentity* identity) const {
  auto it = tree.find(path);
  if (it == tree.end() || !it->second.isFolder || it->second.isReparsePoint)
    return false;
  std::string lower = Lower(path);
  if (auto alias = aliases.find(lower); alias != aliases.end())
    lower = alias->second;
  auto given = identities.find(lower);
  identity->volume = 1;
  identity->index = given != identities.end() ? given->second : std::hash<std::string>()(lower);
  return true;
}

IdentityRead FakePlatform::ReadFolderIdentity(const char* path, FileIdentity* identity) {
  calls.push_back("ReadFolderIdentity(" + Text(path) + ")");
  if (!identitiesKept)
    return IdentityRead::kNotKept;
  return IdentityNow(path, identity) ? IdentityRead::kRead : IdentityRead::kFailed;
}

bool FakePlatform::HoldFolder(const char* path, const FileIdentity& identity) {
  calls.push_back("HoldFolder(" + Text(path) + ")");
  heldFolder.clear();
  FileIdentity now;
  if (!identitiesKept || !IdentityNow(path, &now) || now.volume != identity.volume ||
      now.index != identity.index)
    return false;
  heldFolder = path;
  heldIdentity_ = identity;
  return true;
}

Removal FakePlatform::DeleteHeldFile(const wchar_t* wideName) {
  std::string shown = Narrowed(wideName);
  const char* name = shown.c_str();
  calls.push_back("DeleteHeldFile(" + Text(name) + ")");
  if (heldFolder.empty())
    return Removal::kFailed;
  std::string path = heldFolder + "\\" + name;
  if (openedElsewhere.count(path))
    return Removal::kChanged;
  if (auto it = tree.find(path);
      it != tree.end() && (it->second.isFolder || it->second.isReparsePoint))
    return Removal::kChanged;
  return Delete(path);
}

Removal FakePlatform::RemoveHeldFolder() {
  calls.push_back("RemoveHeldFolder()");
  if (heldFolder.empty())
    return Removal::kFailed;
  std::string path = heldFolder;
  heldFolder.clear();
  FileIdentity now;
  if (tree.count(path) && !removalFails.count(path) &&
      (!IdentityNow(path, &now) || now.index != heldIdentity_.index))
    return Removal::kChanged;
  return RemoveFolderEntry(path);
}

void FakePlatform::ReleaseFolder() {
  calls.push_back("ReleaseFolder()");
  heldFolder.clear();
}

bool FakePlatform::OpenLog(const char* path) {
  ++logOpenings;
  if (!logWritable)
    return false;
  openLog_ = path;
  return true;
}

bool FakePlatform::AppendToLog(const char* text) {
  if (openLog_.empty())
    return false;
  logs[openLog_] += text;
  return true;
}

bool FakePlatform::IsLog(const FolderEntry& entry) {
  return !openLog_.empty() && entry.name == logListedAs;
}

void FakePlatform::LocalTimestamp(char (&stamp)[20]) {
  Give(timestamp, stamp, sizeof stamp);
}

bool FakePlatform::HoldTarget(const char* path) {
  calls.push_back("HoldTarget(" + Text(path) + ")");
  heldTarget = targetHolds ? path : "";
  protected_ = swapped_ = false;
  return targetHolds;
}

FolderAccess FakePlatform::TargetAccess() {
  return protected_ ? accessAfterProtect : targetAccess;
}

bool FakePlatform::ProtectTarget() {
  calls.push_back("ProtectTarget()");
  protected_ = protectWorks;
  return protectWorks;
}

bool FakePlatform::TargetInPlace() {
  return !heldTarget.empty() && !swapped_;
}

bool FakePlatform::FileLanded(const wchar_t* name, bool keep) {
  swapped_ = swapped_ || Narrowed(name) == swapDuring;
  if (!TargetInPlace())
    return false;
  if (keep)
    keptFile = Narrowed(name);
  return true;
}

bool FakePlatform::IsKeptFile(const wchar_t* name) {
  return TargetInPlace() && !keptReplaced && Lower(keptFile) == Lower(Narrowed(name));
}

#include "check/planning_platform.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "check/code_page.h"
#include "check/file_names.h"
#include "check/version_resource.h"
#include "common/bounded_text.h"
#include "common/names.h"
#include "description/setup_settings.h"
#include "res/resource.h"

namespace {

constexpr int kChecked = 1;

// Characters that no Windows path holds, whatever the system.
bool HoldsForbiddenPathChar(const char* path) {
  for (const char* p = path; *p; ++p) {
    unsigned char c = *p;
    if (c < 32 || std::strchr("<>\"|?*", c))
      return true;
  }
  return false;
}

}  // namespace

PlanningPlatform::PlanningPlatform(const std::string& folder,
                                   const std::vector<ListedEntry>& listing,
                                   const PlanningSystem& system, const std::string& folderBox,
                                   bool payload)
    : folder_(folder),
      listing_(listing),
      system_(system),
      folderBox_(folderBox),
      payload_(payload) {
  for (const ListedEntry& listed : listing_)
    wideNames_.push_back(WideFromUtf8(listed.name));
}

std::string PlanningPlatform::FindListed(const std::string& name, bool folders) const {
  std::string found;
  for (const ListedEntry& entry : listing_) {
    if (entry.isFolder != folders || !SameNameIgnoringCase(entry.name, name))
      continue;
    if (entry.name == name)
      return entry.name;
    if (found.empty())
      found = entry.name;
  }
  return found;
}

void PlanningPlatform::ShowMessage(const char* text, const char* title) {
  messages.push_back(text);
  messageTitles.push_back(title);
}

void PlanningPlatform::RequestQuit(int) {
  quitRequested = true;
}

bool PlanningPlatform::GetControlText(int id, char* buf, std::size_t cap) {
  return CopyText(buf, cap, id == IDC_FOLDER ? folderBox_.c_str() : "");
}

int PlanningPlatform::GetCheckState(int id) {
  // The dialog starts with the run-after box checked.
  return id == IDC_RUN_AFTER ? kChecked : 0;
}

bool PlanningPlatform::ReadFileHead(const char* name, char* buf, std::size_t cap,
                                    std::size_t* got) {
  std::string listed = FindListed(name, false);
  std::string bytes;
  if (listed.empty() || !ReadFileStart(PathInFolder(folder_, listed), cap, &bytes))
    return false;
  std::memcpy(buf, bytes.data(), bytes.size());
  *got = bytes.size();
  return true;
}

FolderCreation PlanningPlatform::MakeFolder(const char* path) {
  if (inShortcut_) {
    if (!shortcuts.empty())
      shortcuts.back().madeFolders.push_back(path);
    return FolderCreation::kCreated;
  }
  madeFolders.push_back(path);
  // Whether the folder's parent exists is the user's machine's affair; an empty name or one
  // that no path can hold fails everywhere.
  if (path[0] == '\0' || HoldsForbiddenPathChar(path))
    return FolderCreation::kFailed;
  return FolderCreation::kCreated;
}

void PlanningPlatform::ListFolder(const char* pattern, FolderVisitor& visitor) {
  // Any other pattern asks about the user's machine, which holds no links or junctions here.
  if (std::strcmp(pattern, "*.*") != 0)
    return;
  ++listings;
  for (std::size_t k = 0; k < listing_.size(); ++k) {
    const ListedEntry& listed = listing_[k];
    FolderEntry entry = {listed.name.c_str(), wideNames_[k].c_str(), listed.isFolder,
                         listed.isReparsePoint, listed.size};
    visitor.Visit(entry);
  }
}

// A listed name goes back to the listing's own spelling, which need not be UTF-8.
bool PlanningPlatform::CopyListedFile(const wchar_t* from, const wchar_t* to) {
  std::string name = Utf8FromWide(from);
  for (std::size_t k = 0; k < wideNames_.size(); ++k)
    if (wideNames_[k] == from)
      name = listing_[k].name;
  return CopyOneFile(name.c_str(), Utf8FromWide(to).c_str());
}

// The plan's texts are the host's, UTF-8.
bool PlanningPlatform::WidenText(const char* text, wchar_t* buf, std::size_t cap) {
  return CopyText(buf, cap, WideFromUtf8(text).c_str());
}

bool PlanningPlatform::CopyOneFile(const char* from, const char* to) {
  copies.push_back({from, to});
  if (!payload_)
    return !FindListed(from, false).empty();
  // From a payload only the uninstaller is copied so, from where this run put it.
  for (std::size_t k = 0; k + 1 < copies.size(); ++k) {
    if (SameNameIgnoringCase(copies[k].to, from))
      return true;
  }
  return false;
}

bool PlanningPlatform::ExtractPayload(PayloadVisitor& visitor) {
  for (std::size_t k = 0; k < listing_.size(); ++k) {
    const ListedEntry& file = listing_[k];
    const wchar_t* name = wideNames_[k].c_str();
    wchar_t destination[kPathCapacity];
    if (const char* reason = visitor.Place(name, file.name.c_str(), file.size, destination)) {
      visitor.Written(name, file.name.c_str(), file.size, PayloadWrite::kNone, reason);
      continue;
    }
    copies.push_back({file.name, Utf8FromWide(destination)});
    visitor.Written(name, file.name.c_str(), file.size, PayloadWrite::kWhole, nullptr);
  }
  return true;
}

bool PlanningPlatform::GetWindowsFolder(char* buf, std::size_t cap) {
  return CopyText(buf, cap, system_.windowsFolder.c_str());
}

bool PlanningPlatform::GetSpecialFolder(int csidl, char* buf, std::size_t cap) {
  auto it = system_.specialFolders.find(csidl);
  const char* path = it == system_.specialFolders.end() ? "" : it->second.c_str();
  if (inShortcut_ && !shortcuts.empty())
    shortcuts.back().specialFolder = path;
  return CopyText(buf, cap, path) && path[0] != '\0';
}

void PlanningPlatform::InitializeCom() {
  inShortcut_ = true;
  shortcuts.push_back(ShortcutAttempt());
}

bool PlanningPlatform::WriteShellLink(const char* linkPath, const LinkInfo& info) {
  if (shortcuts.empty())
    shortcuts.push_back(ShortcutAttempt());
  ShortcutAttempt& attempt = shortcuts.back();
  attempt.written = true;
  attempt.linkPath = linkPath;
  attempt.target = info.Target ? info.Target : "";
  attempt.workingDir = info.WorkingDir ? info.WorkingDir : "";
  attempt.description = info.Description ? info.Description : "";
  attempt.hasIcon = info.IconFile != nullptr;
  attempt.iconFile = info.IconFile ? info.IconFile : "";
  return true;
}

bool PlanningPlatform::RegistrySetString(RegistryRoot, const char* key, const char* valueName,
                                         const char* data) {
  if (valueName)
    registryWrites.push_back({key, valueName, data, false, {}, false, 0});
  return true;
}

bool PlanningPlatform::RegistrySetNumber(RegistryRoot, const char* key, const char* valueName,
                                         std::uint32_t value) {
  RecordedValue recorded = {key, valueName, "", false, {}, true, value};
  registryWrites.push_back(recorded);
  return true;
}

bool PlanningPlatform::RegistrySetMultiString(RegistryRoot, const char* key, const char* valueName,
                                              const wchar_t* list, std::size_t size) {
  RecordedValue value = {key, valueName, "", true, {}, false, 0};
  for (std::size_t at = 0; at < size && list[at] != L'\0'; at += std::wcslen(list + at) + 1)
    value.names.push_back(Utf8FromWide(list + at));
  registryWrites.push_back(value);
  return true;
}

bool PlanningPlatform::RegistrySetWideString(RegistryRoot, const char* key, const char* valueName,
                                             const wchar_t* text) {
  registryWrites.push_back({key, valueName, Utf8FromWide(text), false, {}, false, 0});
  return true;
}

bool PlanningPlatform::SameFolder(const char* a, const char* b) {
  return SameTextIgnoringCase(a, b);
}

// `path` is the file's place in the target folder: its last component names the distribution's
// file, in the listing's own spelling as CopyListedFile finds it.
bool PlanningPlatform::ReadFileVersion(const wchar_t* path, FileVersion& version) {
  version = FileVersion{};
  const wchar_t* name = std::wcsrchr(path, L'\\');
  name = name ? name + 1 : path;
  std::string listed;
  for (std::size_t k = 0; k < wideNames_.size() && listed.empty(); ++k) {
    if (!listing_[k].isFolder && wideNames_[k] == name)
      listed = listing_[k].name;
  }
  if (listed.empty())
    listed = FindListed(Utf8FromWide(name), false);
  return !listed.empty() && ReadFileVersionResource(PathInFolder(folder_, listed), version);
}

bool PlanningPlatform::SetCurrentFolder(const char* path) {
  currentFolder = path;
  return true;
}

bool PlanningPlatform::StartProgram(const char* command) {
  started = true;
  commandLine = command;
  return true;
}

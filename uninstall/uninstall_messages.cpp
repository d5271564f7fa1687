#include "uninstall/uninstall_messages.h"

#include "common/bounded_text.h"
#include "integration/uninstall_registration.h"
#include "uninstall/removal.h"

namespace {

constexpr char kNothingRemoved[] = "\n\nNothing was removed.";

void FolderRefusal(const RemovalPlan& plan, MessageText& text) {
  const FolderCheck& check = plan.check;
  const char* name = plan.folderName;
  text.Add("The install folder recorded for ").Add(name).Add(" ");
  switch (check.verdict) {
    case FolderVerdict::kEmpty:
      text.Add("is empty, so it names no folder.");
      break;
    case FolderVerdict::kRelative:
      text.Add("is not a full path; which folder it names depends on the current folder.");
      break;
    case FolderVerdict::kInvalid:
      text.Add("is not a name that a folder can have.");
      break;
    case FolderVerdict::kOddPart:
      text.Add("has a part made only of dots or spaces, which Windows reads as another folder.");
      break;
    case FolderVerdict::kDriveRoot:
      text.Add("is ").Add(check.folder).Add(", the root of a drive.");
      break;
    case FolderVerdict::kWindows:
      text.Add("is ").Add(check.folder).Add(", which is the Windows folder or lies inside it (");
      text.Add(check.detail).Add(").");
      break;
    case FolderVerdict::kProtected:
      text.Add("is ").Add(check.folder).Add(", a folder of Windows or of a user, or one that ");
      text.Add("holds such a folder (").Add(check.detail).Add(").");
      break;
    case FolderVerdict::kProfile:
      text.Add("is ").Add(check.folder).Add(", a user's profile folder.");
      break;
    case FolderVerdict::kInUsers:
      text.Add("is ").Add(check.folder).Add(", which lies inside ").Add(check.detail);
      text.Add(", the folder of every user's own files. There only a program's own folder in ");
      text.Add("a profile's AppData\\Local\\Programs is emptied.");
      break;
    case FolderVerdict::kLink:
      text.Add("is ").Add(check.folder).Add(", which is reached through the link or junction ");
      text.Add(check.detail).Add(". A link may lead anywhere.");
      break;
    case FolderVerdict::kNotFolder:
      text.Add("is ").Add(check.folder).Add(", which is a file, not a folder.");
      break;
    case FolderVerdict::kSafe:
    case FolderVerdict::kGone:
      break;
  }
  text.Add(" Removing the files in it could remove files that do not belong to ").Add(name);
  text.Add(".")
      .Add(kNothingRemoved)
      .Add(" Remove its files yourself, if you are sure which they are.");
}

void Plural(MessageText& text, int count, const char* one, const char* many) {
  text.Add(count).Add(" ").Add(count == 1 ? one : many);
}

// The first `shown` names of `list`, one a line, and how many more there are.
void ListNames(MessageText& text, const NameList& list, int shown) {
  int count = 0;
  for (const char* name = list.First(); name && count < shown; name = list.Next(name), ++count)
    text.Add("  ").Add(name).Add("\n");
  if (list.Count() > count)
    text.Add("  and ").Add(list.Count() - count).Add(" more\n");
  text.Add("\n");
}

// Which files the question says go, and which stay.
void QuestionFiles(const RemovalPlan& plan, MessageText& text) {
  const char* folder = plan.check.folder;
  if (plan.files.Count() == 0 && plan.kept.Count() == 0) {
    text.Add("The folder ").Add(folder).Add(" holds no files; it is removed when it ");
    text.Add("is empty.\n\n");
    return;
  }
  switch (plan.record) {
    case FileRecord::kMissing:
      text.Add("Setup keeps no list of the files it installed, so every file directly in the ");
      text.Add("folder\n  ").Add(folder).Add("\nwill be deleted, including files you ");
      text.Add("saved there yourself:\n");
      ListNames(text, plan.files, kFilesShown);
      return;
    case FileRecord::kUnreadable:
      text.Add("The list of the files Setup installed cannot be read, so no file directly in ");
      text.Add("the folder\n  ").Add(folder).Add("\nis deleted:\n");
      ListNames(text, plan.kept, kKeptShown);
      return;
    case FileRecord::kRead:
      break;
  }
  if (plan.files.Count() == 0) {
    text.Add("None of the files Setup installed is left in the folder\n  ").Add(folder);
    text.Add("\n\n");
  } else {
    text.Add("The files Setup installed are deleted from the folder\n  ").Add(folder);
    text.Add(":\n");
    ListNames(text, plan.files, kFilesShown);
  }
  if (plan.kept.Count() > 0) {
    text.Add("Files you added there are kept:\n");
    ListNames(text, plan.kept, kKeptShown);
  }
}

// Why the removal stopped after the question.
void ChangeReport(const RemovalPlan& plan, const RemovalResult& result, MessageText& text) {
  text.Add(plan.productName).Add(" was not removed completely. After the question was ");
  text.Add("answered, ");
  switch (result.change) {
    case FolderChange::kReplaced:
      text.Add("the folder ").Add(plan.check.folder).Add(" was no longer the one it named: ");
      text.Add("it had been replaced, moved or removed.");
      break;
    case FolderChange::kLinkOnTheWay:
      text.Add("the folder ").Add(plan.check.folder).Add(" was reached through the link or ");
      text.Add("junction ").Add(result.changedAt).Add(", which may lead anywhere.");
      break;
    case FolderChange::kFileElsewhere:
      text.Add(result.changedAt).Add(" no longer led to a file in the folder it named.");
      break;
    case FolderChange::kNone:
      break;
  }
  text.Add(" Nothing more was removed, and the entry in the list of installed programs stays: ");
  text.Add("run this uninstaller again to see what the folder holds now.");
}

}  // namespace

void ComposeTitle(const RemovalPlan& plan, char (&title)[kTitleCapacity]) {
  const char* name = plan.productName[0] ? plan.productName : plan.folderName;
  if (!name[0] || !CopyText(title, name) || !AppendText(title, kTitleSuffix))
    CopyText(title, kUntitled);
}

void ComposeRefusal(PlanStatus status, const RemovalPlan& plan, MessageText& text) {
  const char* name = plan.folderName;
  switch (status) {
    case PlanStatus::kNoOwnPath:
      text.Add("This uninstaller cannot read its own file name, which tells it which program ");
      text.Add("to remove.").Add(kNothingRemoved);
      break;
    case PlanStatus::kBadName: {
      const char* slash = plan.ownPath;
      for (const char* p = plan.ownPath; *p; ++p)
        if (*p == '\\')
          slash = p + 1;
      text.Add("This uninstaller learns which program to remove from its own file name, ");
      text.Add("\"<program> Uninstall.exe\", the name Setup gives it in the Windows folder. ");
      text.Add("Its file name is ").Quoted(slash).Add(", so it does not know which program ");
      text.Add("to remove.").Add(kNothingRemoved);
      break;
    }
    case PlanStatus::kNoEntry:
    case PlanStatus::kNotRegistered:
      text.Add(name).Add(" is not in the list of installed programs: the entry ");
      text.Add("HKEY_LOCAL_MACHINE\\").Add(kUninstallKeyPrefix).Add(name);
      text.Add(" or its InstallTo value is missing. It may have been removed already.");
      text.Add(kNothingRemoved);
      break;
    case PlanStatus::kNoRights:
      text.Add("Removing ").Add(name).Add(" needs permission to change the list of installed ");
      text.Add("programs. Run this uninstaller as an administrator.").Add(kNothingRemoved);
      break;
    case PlanStatus::kFolderRefused:
      FolderRefusal(plan, text);
      break;
    case PlanStatus::kNoDescription:
      text.Add("Cannot read 'setup.inf' in ").Add(plan.check.folder).Add(". It names the ");
      text.Add("shortcuts of ").Add(name).Add(" and shows that the folder still holds it.");
      text.Add(kNothingRemoved).Add(" If the folder holds nothing you need, delete it ");
      text.Add("yourself, then run this uninstaller again to remove ").Add(name);
      text.Add(" from the list of installed programs.");
      break;
    case PlanStatus::kOtherProgram:
      text.Add("The folder ").Add(plan.check.folder).Add(" now holds ").Add(plan.otherName);
      text.Add(", not ").Add(name).Add(": its 'setup.inf' belongs to ").Add(plan.otherName);
      text.Add(", which was installed into the same folder later. Removing the files would ");
      text.Add("remove that program.").Add(kNothingRemoved);
      break;
    case PlanStatus::kCannotList:
      text.Add("Cannot list the files in ").Add(plan.check.folder).Add(".").Add(kNothingRemoved);
      break;
    case PlanStatus::kReady:
    case PlanStatus::kFolderGone:
      break;
  }
}

void ComposeQuestion(PlanStatus status, const RemovalPlan& plan, MessageText& text) {
  if (status == PlanStatus::kFolderGone) {
    text.Add(plan.folderName).Add(" was installed in ").Add(plan.check.folder);
    text.Add(", which no longer exists. Without the 'setup.inf' that was there its shortcuts ");
    text.Add("cannot be named, so any that remain stay where they are.\n\nRemove ");
    text.Add(plan.folderName).Add(" from the list of installed programs?");
    return;
  }
  text.Add("Remove ").Add(plan.productName).Add(" from this computer?\n\n");
  QuestionFiles(plan, text);
  // "The A, the B and the C are removed as well."
  text.Add("Sub-folders and the files in them are kept. ");
  int items = 1 + (plan.desktopLink[0] ? 1 : 0) + (plan.menuLinkCount > 0 ? 1 : 0);
  int item = 0;
  auto next = [&](const char* what) {
    text.Add(item == 0 ? "The " : item + 1 == items ? " and the " : ", the ").Add(what);
    ++item;
  };
  if (plan.desktopLink[0])
    next("desktop shortcut");
  if (plan.menuLinkCount > 0) {
    next(plan.menuLinkCount == 1 ? "Start-menu shortcut" : "Start-menu shortcuts");
    if (plan.group[0])
      text.Add(" in ").Quoted(plan.groupName);
  }
  next("entry in the list of installed programs");
  text.Add(items == 1 ? " is removed as well." : " are removed as well.");
}

void ComposeReport(const RemovalPlan& plan, const RemovalResult& result, MessageText& text) {
  bool gone = plan.check.verdict == FolderVerdict::kGone;
  bool changed = result.change != FolderChange::kNone;
  int keptFiles = plan.kept.Count();
  bool partly = LeftSomething(plan, result);
  if (changed)
    ChangeReport(plan, result, text);
  else
    text.Add(plan.productName)
        .Add(partly ? " was removed, except for what is listed under Left." : " was removed.");
  text.Add("\n\nRemoved:\n");
  if (result.filesRemoved > 0) {
    text.Add("  ");
    Plural(text, result.filesRemoved, "file", "files");
    text.Add(" from ").Add(plan.check.folder).Add("\n");
  }
  if (result.folderRemoved)
    text.Add("  the folder ").Add(plan.check.folder).Add("\n");
  if (result.desktopRemoved)
    text.Add("  the desktop shortcut\n");
  if (result.menuLinksRemoved > 0) {
    text.Add("  ");
    Plural(text, result.menuLinksRemoved, "Start-menu shortcut", "Start-menu shortcuts");
    text.Add("\n");
  }
  if (result.groupRemoved)
    text.Add("  the Start-menu group ").Quoted(plan.groupName).Add("\n");
  if (result.keyRemoved)
    text.Add("  the entry in the list of installed programs\n");
  if (result.self == SelfRemoval::kNow)
    text.Add("  this uninstaller\n");
  if (result.filesRemoved == 0 && !result.folderRemoved && !result.desktopRemoved &&
      result.menuLinksRemoved == 0 && !result.groupRemoved && !result.keyRemoved &&
      result.self != SelfRemoval::kNow)
    text.Add("  nothing\n");

  if (partly) {
    text.Add("\nLeft:\n").Add(result.left.Get());
    if (result.leftCount > kLeftShown)
      text.Add("  and ").Add(result.leftCount - kLeftShown).Add(" more\n");
    if (keptFiles > 0) {
      text.Add("  ");
      Plural(text, keptFiles, "file", "files");
      text.Add(" in ").Add(plan.check.folder);
      text.Add(plan.record == FileRecord::kRead
                   ? " that Setup did not install\n"
                   : ": the list of the files Setup installed cannot be read\n");
    }
    if (plan.keptLinks > 0) {
      text.Add("  ");
      Plural(text, plan.keptLinks, "link", "links");
      text.Add(" in ").Add(plan.check.folder).Add(": links are never followed or removed\n");
    }
    if (plan.unnamedShortcuts > 0) {
      text.Add("  ");
      Plural(text, plan.unnamedShortcuts, "shortcut", "shortcuts");
      text.Add(" whose names in 'setup.inf' would lead out of their folder\n");
    }
    if (plan.groupLeadsOut) {
      text.Add("  the Start-menu shortcuts: the group name ").Quoted(plan.groupName);
      text.Add(" in 'setup.inf' would lead out of the Start menu\n");
    }
    if (plan.linkedGroup[0])
      text.Add("  ").Add(plan.linkedGroup).Add(": a link or junction, never followed\n");
    if (gone)
      text.Add("  the shortcuts, if any remain: without 'setup.inf' they cannot be named\n");
  }
  if (result.self == SelfRemoval::kAtRestart)
    text.Add("\nThis uninstaller will be deleted when Windows next starts.");
}

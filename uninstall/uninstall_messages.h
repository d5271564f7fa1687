// The uninstaller's texts: the title, the refusals, the one question and the closing report.
#pragma once

#include "common/message_text.h"
#include "uninstall/removal_plan.h"

struct RemovalResult;

constexpr char kUntitled[] = "Uninstall";
constexpr char kTitleSuffix[] = " Uninstall";
constexpr int kTitleCapacity = kTextCapacity + sizeof kTitleSuffix;
// Names of files listed in the question, of those deleted and of those kept; the rest are
// counted. With the longest names both lists and the rest of the question still fit.
constexpr int kFilesShown = 15;
constexpr int kKeptShown = 10;

// "<ProductName> Uninstall", or "<FolderName> Uninstall" before setup.inf is read, or
// "Uninstall" before even FolderName is known.
void ComposeTitle(const RemovalPlan& plan, char (&title)[kTitleCapacity]);

// Why nothing was removed, for every status but kReady and kFolderGone.
void ComposeRefusal(PlanStatus status, const RemovalPlan& plan, MessageText& text);

// The question before anything is removed: for kReady names the folder and its files, for
// kFolderGone offers to remove the entry that is left.
void ComposeQuestion(PlanStatus status, const RemovalPlan& plan, MessageText& text);

// What was removed, what was left and why.
void ComposeReport(const RemovalPlan& plan, const RemovalResult& result, MessageText& text);

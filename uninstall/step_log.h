// The uninstaller's lines in the run's log, one a step and its outcome: "step: what: outcome".
#pragma once

#include <initializer_list>

#include "uninstall/removal_plan.h"

class RunLog;

// One line of `pieces` in order, cut to the log's line length. Nothing without a log.
void LogStep(RunLog& log, std::initializer_list<const char*> pieces);

// The plan as far as it went: the uninstaller's own name, the entry and its InstallTo, the folder
// check, setup.inf and the record of installed files, each with its outcome; a step that refused
// is the last.
void LogPlan(RunLog& log, PlanStatus status, const RemovalPlan& plan);

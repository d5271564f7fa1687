// Whether setup may install into a folder: it must be the administrators' own, or the program
// setup copies and starts with their rights could be changed or replaced by anybody who can
// change the folder. A folder setup made gets permissions of its own where its parent's would
// let others change it; one that was there is taken only as it is.
#pragma once

class RunLog;
class TargetOps;

// Holds the folder `path` and checks who may change it; `created` when this run made it. Null
// when it may be installed into, held until the program ends; else why not.
const char* SecureTarget(TargetOps& target, RunLog& log, const char* path, bool created);

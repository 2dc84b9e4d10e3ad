// Where a running installation keeps its undo data until it is complete: the temporary action log
// and backup file it writes, and the final paths they move to. Written before the first change
// and removed once the run is complete or fully undone, so that a run that was killed, lost its
// power or crashed can always be found again and undone by the next installer of the product
// (or with -recover), without anyone knowing the temporary names.
#pragma once

#include <string>

struct RunRecord {
    std::string actionLog;
    std::string backup;
    std::string finalActionLog;
    std::string finalBackup;
};

// The runs' report lines: formatted into the 512 bytes a report holds (a longer text is cut;
// it is only shown) and handed to the UI handler.
#pragma once

#include "package/BoundedText.h"

class RunReporter;

// The handler's answer to the line: true asks the run to stop.
bool reportFormatted(RunReporter& ui, const char* format, ...) KESTREL_PRINTF(2, 3);

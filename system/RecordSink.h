// Where a system change puts its undo record: the engine writes it into the action log before
// the change it describes is made, so that a run stopped right after the change still has it
// undone. Every undo acts only on what is still as the change left it, so a record whose change
// never came about undoes nothing. False: the record could not be kept whole, and the change must
// not be made.
#pragma once

#include <functional>
#include <string>

using RecordSink = std::function<bool(const std::string& record)>;

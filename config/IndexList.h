// A list of element indices that the document's queries fill. Queries append and never clear,
// so one list can gather the results of several queries.
#pragma once

#include "package/RecordList.h"

#include <cstdint>

class IndexList : public RecordList<int32_t> {
  public:
    explicit IndexList(int growStep = 5) : RecordList<int32_t>(growStep) {}
};

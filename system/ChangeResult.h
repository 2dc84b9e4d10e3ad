// The outcome of a change whose failure the user is told about with its cause: empty when the
// change was made, else what failed and why.
#pragma once

#include <string>

struct ChangeResult {
    std::string failure;

    explicit operator bool() const { return failure.empty(); }
};

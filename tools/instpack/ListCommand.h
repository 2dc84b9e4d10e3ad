// `instpack list FILE`: the entries of an installer or bare payload.
#pragma once

#include <string>

class ListCommand {
  public:
    static int run(const std::string& path);
};

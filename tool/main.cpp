#include <iostream>

#include "tool/korvtool.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return korv::tool::Run(args, std::cout, std::cerr);
}

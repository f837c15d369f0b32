#include <iostream>
#include <string>
#include <vector>

#include "render_cli.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return zirvanta::RunRenderCommand(args, std::cout, std::cerr);
}

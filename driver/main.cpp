// The quorvane command: infers crossed automata and the coefficient gamma for
// every selected pair of variables and delay of a multivariate time series.

#include <exception>
#include <iostream>

#include "driver/command.h"

int main(int argc, char** argv) {
  try {
    return run_command_line(argc, argv, std::cout, std::cerr);
  } catch (const std::exception& e) {
    std::cout << std::flush;
    std::cerr << "error: " << e.what() << std::endl;
    return 4;
  }
}

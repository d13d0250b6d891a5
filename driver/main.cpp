#include <iostream>

int main() {
  std::cout << "Quorvane v1.7" << std::endl;
  return 0;
}

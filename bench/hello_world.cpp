// The smallest C++ program that writes a line, as the floor for how fast
// tsccurve can start (script/startup-bench).
#include <iostream>

int main() { std::cout << "Hello, world\n"; }

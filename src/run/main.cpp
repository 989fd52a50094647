#include "run/Run.h"

int main() { return runProgram(); }

#include "app/main_program.h"

int main(int argc, char** argv) { return RunMainProgram(argc, argv); }

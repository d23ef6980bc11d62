// The process entry point; everything happens in quarvelin_main.
#include "frontend/startup.h"

int main(int argc, char** argv) { return quarvelin_main(argc, argv); }
